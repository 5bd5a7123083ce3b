#pragma once
// What the two LZ77 decoders share: the input read byte by byte, the output bounded by a limit,
// and the first error kept. Every read and every write is checked here.

#include "formats/dwg/r2004/lz77.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dsc::dwg {

class Lz77Stream {
protected:
    Lz77Stream(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out)
        : m_in(in), m_limit(limit), m_out(out) {}

    Lz77Error fail(Lz77Error e) {
        m_error = e;
        return e;
    }
    bool next(std::uint8_t& b) {
        if (m_pos >= m_in.size()) {
            fail(Lz77Error::Truncated);
            return false;
        }
        b = m_in[m_pos++];
        return true;
    }
    // The next `count` input bytes of a literal run, taken; null (and the error kept) when the
    // input ends first or they would not fit under the limit.
    const std::uint8_t* takeLiteral(std::uint64_t count) {
        if (count > m_in.size() - m_pos) {
            fail(Lz77Error::Truncated);
            return nullptr;
        }
        if (count > m_limit - m_out.size()) {
            fail(Lz77Error::Overflow);
            return nullptr;
        }
        const std::uint8_t* from = m_in.data() + m_pos;
        m_pos += static_cast<std::size_t>(count);
        return from;
    }
    // Appends `count` bytes copied from `offset` bytes back, the copy overlapping what it writes
    // when the offset is shorter than the count (the pattern repeats). Refuses a reference to
    // nothing or to before the start, and output past the limit, writing nothing then.
    bool copyBack(std::uint64_t offset, std::uint64_t count) {
        if (offset == 0 || offset > m_out.size()) {
            fail(Lz77Error::BadReference);
            return false;
        }
        if (count > m_limit - m_out.size()) {
            fail(Lz77Error::Overflow);
            return false;
        }
        std::size_t from = m_out.size() - static_cast<std::size_t>(offset);
        for (std::uint64_t i = 0; i < count; ++i) {
            m_out.push_back(m_out[from++]);
        }
        return true;
    }

    std::span<const std::uint8_t> m_in;
    std::size_t m_pos = 0;
    std::size_t m_limit;
    std::vector<std::uint8_t>& m_out;
    Lz77Error m_error = Lz77Error::None;
};

} // namespace dsc::dwg
