#include "bytesource.h"

#include <cstring>
#include <system_error>

namespace dsc {

bool ByteSource::readVector(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t>& out) {
    if (offset > size() || count > size() - offset) {
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
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

bool FileSource::open(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        return false;
    }
    m_stream.open(path, std::ios::in | std::ios::binary);
    m_size = size;
    return m_stream.is_open();
}

bool FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (!m_stream.is_open() || offset > m_size || out.size() > m_size - offset) {
        return false;
    }
    m_stream.clear();
    m_stream.seekg(static_cast<std::streamoff>(offset));
    m_stream.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return m_stream.gcount() == static_cast<std::streamsize>(out.size());
}

bool readWholeFile(const std::filesystem::path& path, std::uint64_t limit, std::vector<std::uint8_t>& out) {
    FileSource source;
    if (!source.open(path) || source.size() > limit) {
        return false;
    }
    return source.readVector(0, source.size(), out);
}

} // namespace dsc
