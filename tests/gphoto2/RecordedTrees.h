#pragma once
// Widget trees recorded by hand, in the text `gphoto2 --list-all-config`
// prints, from public listings of a PowerShot and an EOS body.

#include "gphoto2/Widgets.h"

#include <string>

namespace recorded {

extern const char* const powerShotDump;
extern const char* const eosDump;

// The tree of a dump: every widget as a child of the root, as the tables
// look widgets up by name anywhere.
cdgp::Widget treeOf(const std::string& dump);

} // namespace recorded
