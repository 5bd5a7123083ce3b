#pragma once
// The list of a slide library's slide names.

#include "formats/slidelibrary.h"

#include <filesystem>
#include <vector>

class QListWidget;

namespace dsc {

// Shows the list and empties it, then lists the library's slides in directory order: each item's
// text the name cut to 10 characters, the full directory name as its data and tool tip. A file
// that cannot be read leaves the list shown and empty.
void listSlideNames(QListWidget& list, const std::filesystem::path& library);
// The same with the names already read.
void showSlideNames(QListWidget& list, const std::vector<LibrarySlideName>& names);

} // namespace dsc
