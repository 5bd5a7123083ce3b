#include "formats/core/bytesource.h"

#include <algorithm>
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

const std::vector<std::uint8_t>* BlockCache::block(std::uint64_t start) {
    if (const auto* kept = m_blocks.find(start)) {
        return kept;
    }
    auto& bytes = m_blocks.claim(start);
    if (!m_inner.readVector(start, std::min<std::uint64_t>(kBlockSize, size() - start), bytes)) {
        m_blocks.forget(start);
        return nullptr;
    }
    return &bytes;
}

bool BlockCache::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > size() || out.size() > size() - offset) {
        return false;
    }
    if (out.size() > kBlockSize) {
        return m_inner.readAt(offset, out);
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        const std::uint64_t start = at - at % kBlockSize;
        const std::vector<std::uint8_t>* b = block(start);
        if (!b) {
            return false;
        }
        const std::size_t from = static_cast<std::size_t>(at - start);
        const std::size_t n = std::min(out.size() - done, b->size() - from);
        std::memcpy(out.data() + done, b->data() + from, n);
        done += n;
    }
    return true;
}

} // namespace dsc
