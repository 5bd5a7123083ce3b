#pragma once
// The header variables of releases 13 to 2004, read as far as the model space's extents and limits.

#include "formats/dwg/model/drawing.h"

#include <cstdint>
#include <span>
#include <string>

namespace dsc::dwg {

struct HeaderVariables {
    bool ok = false; // read up to and including the model space's limits
    Vec3 extMin, extMax;
    Vec3 limMin, limMax;
};

// `section` starts at the section's start sentinel; `version` is "AC1012"…"AC1018". Later releases
// (their strings in a stream of their own) give nothing.
HeaderVariables readHeaderVariables(std::span<const std::uint8_t> section, const std::string& version,
                                    std::size_t maxString);

} // namespace dsc::dwg
