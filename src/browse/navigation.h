#pragma once
// Drive, folder and file listing rules, free of widgets.

#include "platform/filesystem.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dsc {

// The file list's pattern: drawings, slides and slide libraries.
inline constexpr std::string_view kCadPattern = "*.dwg;*.sld;*.slb";

// True when `name` matches one of the ";"-separated wildcard patterns (* and ?), ignoring ASCII case.
bool matchesPattern(const std::filesystem::path& name, std::string_view patterns);

// ASCII case-insensitive ordering of names, with the exact bytes as tie-break.
bool nameLess(const std::filesystem::path& a, const std::filesystem::path& b);

// The entries (a folder's, or a batch of them) that are files matching `patterns`, hidden ones left
// out; and those that are folders, hidden ones left out. In the entries' order.
std::vector<std::filesystem::path> matchingNames(const std::vector<platform::DirEntry>& entries,
                                                 std::string_view patterns = kCadPattern);
std::vector<std::filesystem::path> folderNames(const std::vector<platform::DirEntry>& entries);

// Puts `name` in its sorted place among names[from…] and says where.
std::size_t insertSorted(std::vector<std::filesystem::path>& names, std::size_t from, std::filesystem::path name);

// Files of `dir` (anything but folders) that match `patterns`, hidden ones left out, sorted.
// Empty when the folder cannot be read.
std::vector<std::filesystem::path> matchingFiles(platform::FileSystem& fs, const std::filesystem::path& dir,
                                                 std::string_view patterns = kCadPattern);

// Sub-folders of `dir`, hidden ones left out, sorted.
std::vector<std::filesystem::path> subfolders(platform::FileSystem& fs, const std::filesystem::path& dir);

// The folders from the root down to `folder` itself: "/", "/home", "/home/ann"; on Windows
// "C:\\", "C:\\Plans", or "\\\\server\\share\\", "\\\\server\\share\\Plans".
std::vector<std::filesystem::path> ancestry(const std::filesystem::path& folder);

// Index of the volume that holds `folder` (longest root that is a prefix; drive letters and server
// names compared without case), or -1.
int volumeIndexFor(const std::vector<platform::Volume>& volumes, const std::filesystem::path& folder);

// The text shown for a volume in the drive list.
std::string volumeText(const platform::Volume& volume);

// The folder followed by exactly one separator ("/" stays "/", "C:\\" stays "C:\\").
std::filesystem::path withTrailingSeparator(const std::filesystem::path& folder);

} // namespace dsc
