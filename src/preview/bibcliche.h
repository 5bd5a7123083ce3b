#pragma once
// Reads the names of a slide library's slides as the list of names shows them.

#include "formats/bytesource.h"

#include <string>
#include <vector>

namespace dsc {

struct LibrarySlideName {
    std::string shortName; // the list's text: up to the first zero byte, at most 10 bytes
    std::string fullName;  // the whole directory name, for building slide references
};

// Walks 36-byte records from offset 32 until the record whose 10-byte name is "AutoCAD Sl" (the
// first slide) and returns the names of the records before the directory's end entry. When no
// such record comes within the first 200, the entries up to the first empty name are returned
// instead, bounded by the file's size (and at most 100,000 names), so large, truncated or foreign
// files still list something.
std::vector<LibrarySlideName> scanLibraryNames(ByteSource& source);

} // namespace dsc
