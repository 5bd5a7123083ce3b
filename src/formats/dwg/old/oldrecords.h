#pragma once
// One entity record of the drawings of releases 2.5 to 12: a type byte, flags, its own size, then
// fields present by those flags. The size lets any record, known or not, be stepped over.

#include "formats/dwg/model/drawing.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace dsc::dwg::old {

enum class RecordKind { Drawable, BlockBegin, BlockEnd, Vertex, SeqEnd, Polyline, Skipped };

struct Record {
    RecordKind kind = RecordKind::Skipped;
    std::string dxfName; // "LINE", "VERTEX"…; empty for an erased or unknown record
    Entity entity;       // the drawable, or the polyline's / vertex's values
    bool polyline3d = false, mesh = false;
};

// Decodes the record at the start of `bytes`; nullopt when its size is impossible. `size` gets the
// record's length on success.
std::optional<Record> decodeRecord(std::span<const std::uint8_t> bytes, std::size_t maxString, std::size_t& size);

// 8-bit text in the drawing's code page (taken as CP437's upper half read as Latin-1, which keeps
// ASCII exact and gives every byte one code point) to UTF-8; stops at the first NUL.
std::string toUtf8(std::span<const std::uint8_t> bytes);

} // namespace dsc::dwg::old
