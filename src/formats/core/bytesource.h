#pragma once
// Bounded random access to the bytes of a file or a buffer. Readers never see more than this;
// files are opened by the platform layer.

#include "formats/core/recentlyused.h"

#include <cstdint>
#include <span>
#include <vector>

namespace dsc {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills `out` with the bytes at `offset`; false (and nothing promised about `out`) when the
    // range is not wholly inside the source or cannot be read.
    virtual bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

    // Reads [offset, offset + count) into `out`, resized to fit. False when the range is not wholly
    // inside the source or cannot be read, or when the memory for it cannot be had.
    bool readVector(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t>& out);
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> data) : m_data(data) {}
    std::uint64_t size() const override { return m_data.size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> m_data;
};

// Small reads served from a few blocks of another source, kept after reading: a reader that asks
// for a few bytes at a time, thousands of times and mostly in order, costs a few large reads of the
// file instead of a system call each. Reads larger than a block go straight through.
class BlockCache : public ByteSource {
public:
    explicit BlockCache(ByteSource& inner) : m_inner(inner) {}
    std::uint64_t size() const override { return m_inner.size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

    static constexpr std::size_t kBlockSize = 64 * 1024;
    static constexpr std::size_t kBlocks = 8;

private:
    const std::vector<std::uint8_t>* block(std::uint64_t start);

    ByteSource& m_inner;
    RecentlyUsed<std::uint64_t, std::vector<std::uint8_t>, kBlocks> m_blocks; // by their start
};

// Little-endian helpers over bounded buffers; callers check the bounds first.
inline std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t be32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

} // namespace dsc
