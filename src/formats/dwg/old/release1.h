#pragma once
// The reader of release 1.x drawings ("AC1.40", "AC1.50"), whose records differ from later ones.

#include "formats/dwg/geometry.h"

#include <string>

namespace dsc::dwg::old {

GeometryResult readRelease1(ByteSource& source, const std::string& version, const GeometryLimits& limits);

} // namespace dsc::dwg::old
