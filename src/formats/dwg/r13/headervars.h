#pragma once
// The header variables of releases 13 to 2004: the model space's extents and limits, and the handles
// of the tables and of the two spaces' block records.

#include "formats/dwg/model/drawing.h"

#include <cstdint>
#include <span>
#include <string>

namespace dsc::dwg {

struct HeaderVariables {
    bool ok = false; // read up to and including the model space's limits
    Vec3 extMin, extMax;
    Vec3 limMin, limMax;
    bool handlesOk = false; // read on to the spaces' block records; 0 where not read
    std::uint64_t blockControl = 0, layerControl = 0;
    std::uint64_t modelSpace = 0, paperSpace = 0; // their block records
};

// `section` starts at the section's start sentinel; `version` is "AC1012"…"AC1018". Later releases
// (their strings in a stream of their own) give nothing.
HeaderVariables readHeaderVariables(std::span<const std::uint8_t> section, const std::string& version,
                                    std::size_t maxString);

} // namespace dsc::dwg
