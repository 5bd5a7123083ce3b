#pragma once
// Decoding the names the kernel's mount table and udev's links give to mounts and labels.

#include <string>
#include <string_view>

namespace dsc::platform {

// The mount table writes space, tab, newline and backslash as \ and three octal digits.
std::string unescapeMountField(std::string_view field);

// udev writes the bytes of a label that are unsafe in a file name as \x and two hex digits.
std::string unescapeUdevName(std::string_view name);

// True when a mount's source names a local device node, the only kind worth resolving to find its
// label: `server:/export` or `//host/share` would be resolved against the current folder, and
// resolving may wait on the network.
bool isDeviceSource(std::string_view source);

} // namespace dsc::platform
