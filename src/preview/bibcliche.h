#pragma once
// The list of a slide library's slide names.

#include "formats/slides/slidelibrary.h"

#include <vector>

class QListWidget;

namespace dsc {

// Shows the list and empties it, then lists the library's slides in directory order: each item's
// text the name cut to 10 characters, the full directory name as its data and tool tip. A library
// that could not be read has no names: the list stays shown and empty.
void showSlideNames(QListWidget& list, const std::vector<LibrarySlideName>& names);

} // namespace dsc
