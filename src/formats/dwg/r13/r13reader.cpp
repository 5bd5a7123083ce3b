// Releases 13 to 2000: a fixed file header whose locators give where the header variables, the
// classes and the object map lie; the objects are read in place from the file.
#include "formats/dwg/geometry.h"
#include "formats/dwg/r13/bitreader.h"
#include "formats/dwg/r13/sections.h"

#include <array>

namespace dsc::dwg {
namespace {

constexpr std::array<std::uint8_t, 16> kHeaderEnd = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                                     0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};
constexpr std::size_t kLocatorsAt = 0x19;
constexpr std::size_t kLocatorSize = 9;
constexpr std::uint32_t kMaxLocators = 16;

struct Locator {
    std::uint32_t seeker = 0, size = 0;
};

void warn(GeometryResult& result, const std::string& text) {
    if (!result.drawing.warning.empty()) {
        result.drawing.warning += "; ";
    }
    result.drawing.warning += text;
}

// The CRC of the file header is XOR-ed with a value fixed by the number of locators.
std::uint16_t headerCrcMask(std::uint32_t count) {
    switch (count) {
    case 3:
        return 0xA598;
    case 4:
        return 0x8101;
    case 5:
        return 0x3CC4;
    case 6:
        return 0x8461;
    default:
        return 0;
    }
}

} // namespace

GeometryResult readR13Drawing(ByteSource& source, const std::string& version, const GeometryLimits& limits) {
    GeometryResult failed;
    failed.drawing.release = version;
    failed.error = GeometryError::Damaged;
    std::array<std::uint8_t, kLocatorsAt> head{};
    if (!source.readAt(0, head)) {
        failed.detail = "file header cut short";
        return failed;
    }
    const std::uint32_t count = le32(head.data() + 0x15);
    if (count < 3 || count > kMaxLocators) {
        failed.detail = "file header: " + std::to_string(count) + " section locators";
        return failed;
    }
    std::vector<std::uint8_t> whole;
    if (!source.readVector(0, kLocatorsAt + count * kLocatorSize + 2 + kHeaderEnd.size(), whole)) {
        failed.detail = "file header cut short";
        return failed;
    }
    std::vector<Locator> locators(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = whole.data() + kLocatorsAt + i * kLocatorSize;
        locators[i] = {le32(p + 1), le32(p + 5)};
    }
    const std::size_t crcAt = kLocatorsAt + count * kLocatorSize;
    std::vector<std::string> warnings;
    const std::uint16_t crc = dwgCrc16({whole.data(), crcAt}, 0) ^ headerCrcMask(count);
    if (crc != le16(whole.data() + crcAt)) {
        warnings.push_back("file header CRC does not match");
    }
    if (!std::equal(kHeaderEnd.begin(), kHeaderEnd.end(), whole.begin() + static_cast<std::ptrdiff_t>(crcAt + 2))) {
        warnings.push_back("file header sentinel missing");
    }

    DwgSections sections;
    sections.version = version;
    sections.maintenance = head[0x0B];
    sections.codePage = le16(head.data() + 0x13);
    BlockCache objects(source); // two small reads per object
    sections.objects = &objects;
    std::vector<std::uint8_t>* targets[3] = {&sections.header, &sections.classes, &sections.handles};
    for (int i = 0; i < 3; ++i) {
        const Locator& at = locators[static_cast<std::size_t>(i)];
        if (at.size > limits.maxBytes || !source.readVector(at.seeker, at.size, *targets[i])) {
            failed.detail = "section " + std::to_string(i) + " lies outside the file";
            return failed;
        }
    }
    GeometryResult result = readObjectGeometry(sections, limits);
    for (const std::string& text : warnings) {
        warn(result, text);
    }
    return result;
}

} // namespace dsc::dwg
