#include "formats/dwg/r2004/pageddrawing.h"

#include <array>

namespace dsc::dwg {

std::string describe(ContainerError error) {
    switch (error) {
    case ContainerError::None:
        return "no error";
    case ContainerError::BadFileHeader:
        return "file header unreadable";
    case ContainerError::BadPageMap:
        return "page map unreadable";
    case ContainerError::BadSectionMap:
        return "section map unreadable";
    case ContainerError::MissingSection:
        return "section missing";
    case ContainerError::TooLarge:
        return "section too large";
    case ContainerError::Unsupported:
        return "container not read";
    }
    return "unknown error";
}

ContainerResult readPagedDrawing(ByteSource& file, const std::string& version, const GeometryLimits& limits,
                                 PagedDrawing& out) {
    out.sections.version = version;
    std::array<std::uint8_t, 0x15> head{};
    if (!file.readAt(0, head)) {
        return {ContainerError::BadFileHeader, "file shorter than its header"};
    }
    out.sections.maintenance = head[0x0B];
    out.sections.codePage = le16(&head[0x13]);
    if (version == "AC1021") {
        return readContainer2007(file, limits, out);
    }
    return readContainer2004(file, limits, out);
}

} // namespace dsc::dwg
