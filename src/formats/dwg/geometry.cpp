#include "formats/dwg/geometry.h"

#include <array>

namespace dsc::dwg {

std::string describe(GeometryError error) {
    switch (error) {
    case GeometryError::None:
        return "no error";
    case GeometryError::NotADrawing:
        return "not a drawing";
    case GeometryError::UnsupportedRelease:
        return "release not read";
    case GeometryError::Damaged:
        return "damaged drawing";
    case GeometryError::TooLarge:
        return "drawing too large";
    }
    return "unknown error";
}

GeometryResult notReadYet(const std::string& version) {
    GeometryResult result;
    result.drawing.release = version;
    result.error = GeometryError::UnsupportedRelease;
    result.detail = "geometry of " + version + " not read yet";
    return result;
}

GeometryResult readDrawingGeometry(ByteSource& source, const GeometryLimits& limits) {
    std::array<std::uint8_t, 6> head{};
    if (!source.readAt(0, head)) {
        return {{}, GeometryError::NotADrawing, "shorter than a version text"};
    }
    const std::string version(head.begin(), head.end());
    if (version.starts_with("AC1.") || version.starts_with("AC2.") ||
        (version.starts_with("AC100") && version[5] >= '1' && version[5] <= '9')) {
        return readOldDrawing(source, version, limits);
    }
    if (version == "AC1012" || version == "AC1014" || version == "AC1015") {
        return readR13Drawing(source, version, limits);
    }
    if (version == "AC1018" || version == "AC1021" || version == "AC1024" || version == "AC1027" ||
        version == "AC1032") {
        return readR2004Drawing(source, version, limits);
    }
    return {{}, GeometryError::NotADrawing, "unknown version text"};
}

} // namespace dsc::dwg
