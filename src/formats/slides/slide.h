#pragma once
// Reader for vector slides (.sld): both header levels, both byte orders, every record kind.
// Produces a display list in slide coordinates (origin lower left, y up).

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dsc {

enum class SlideError {
    None,
    TooShort,      // fewer bytes than a header
    NotASlide,     // identification text missing
    BadByteOrder,  // level 2 test number is neither 0x1234 nor 0x3412
    UnknownLevel,  // level byte other than 1 or 2
    CorruptRecord, // undefined record type; decoding stopped there
    TooManyRecords // display list limit reached; decoding stopped there
};

std::string describe(SlideError error);

struct SlideHeader {
    int level = 0;
    bool bigEndian = false;
    std::uint8_t typeByte = 0;
    std::uint16_t hx = 0;        // highest x dot (width - 1)
    std::uint16_t hy = 0;        // highest y dot (height - 1)
    double aspect = 0.0;         // physical width / height of the captured area
    std::uint32_t aspectRaw = 0; // level 2: the scaled integer as stored
    std::uint16_t hwFill = 0;
    std::size_t size = 0; // bytes taken by the header
};

struct SlidePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const SlidePoint&) const = default;
};

// `from` moved by a relative record's deltas. Files can chain any number of relative records, so
// positions saturate at the 32-bit limits instead of wrapping.
SlidePoint offsetPoint(SlidePoint from, std::int32_t dx, std::int32_t dy);

// One drawing element: a segment (two points) or a filled polygon (any number of points).
struct SlideElement {
    enum class Kind : std::uint8_t { Line, Fill };
    Kind kind = Kind::Line;
    std::uint8_t colour = 7;
    std::uint32_t first = 0; // index into Slide::points
    std::uint32_t count = 0;
};

struct SlideRecordCounts {
    std::size_t vector = 0, offsetVector = 0, commonEndpoint = 0, fill = 0, colour = 0, end = 0;
};

struct Slide {
    SlideHeader header;
    std::vector<SlideElement> elements; // in file order: later elements paint over earlier ones
    std::vector<SlidePoint> points;
    SlideRecordCounts counts;
    std::bitset<256> coloursUsed;
    SlideError error = SlideError::None;
    std::size_t errorOffset = 0; // where decoding stopped on an error
    bool truncated = false;      // data ended before the end record
    std::size_t bytesUsed = 0;   // up to and including the end record

    bool ok() const { return error == SlideError::None; }
    // True when the header could be read, whatever happened to the records.
    bool hasHeader() const { return header.level != 0; }
};

struct SlideLimits {
    std::size_t maxElements = 1'000'000;
    std::size_t maxPolygonPoints = 4096;
};

// `endHint`, when non-zero, is the exact size of the slide inside `data` (a library member whose
// end is known); it only helps guess the byte order of old headers.
Slide readSlide(std::span<const std::uint8_t> data, const SlideLimits& limits = {}, std::size_t endHint = 0);

// True when `data` starts with the slide identification text.
bool looksLikeSlide(std::span<const std::uint8_t> data);

} // namespace dsc
