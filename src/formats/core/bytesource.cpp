#include "formats/core/bytesource.h"

#include <cstring>
#include <new>

namespace dsc {

bool ByteSource::readVector(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t>& out) {
    if (offset > size() || count > size() - offset) {
        return false;
    }
    try {
        out.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        out = {};
        return false;
    }
    return readAt(offset, out);
}

bool MemorySource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > m_data.size() || out.size() > m_data.size() - offset) {
        return false;
    }
    if (!out.empty()) {
        std::memcpy(out.data(), m_data.data() + offset, out.size());
    }
    return true;
}

} // namespace dsc
