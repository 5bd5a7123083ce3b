#pragma once
// Bounded random access to the bytes of a file or a buffer. Readers never see more than this.

#include <cstdint>
#include <filesystem>
#include <fstream>
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

    // Convenience: reads [offset, offset + count) into a new vector; empty optional-like result
    // (ok == false) on failure.
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

// Reads a regular file, opened for reading only. Anything that is not a regular file (a FIFO,
// a device, a folder) is refused before it is opened, so it can never block.
class FileSource : public ByteSource {
public:
    bool open(const std::filesystem::path& path);
    bool isOpen() const { return m_stream.is_open(); }
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::ifstream m_stream;
    std::uint64_t m_size = 0;
};

// Reads a whole regular file of at most `limit` bytes. False when it is larger, unreadable or
// not a regular file.
bool readWholeFile(const std::filesystem::path& path, std::uint64_t limit, std::vector<std::uint8_t>& out);

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
