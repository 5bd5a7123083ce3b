#pragma once
// Reading a file's bytes for the readers. Opening never blocks, whatever the name turns out to
// be: the type is checked on the opened file, so nothing can be put in its place in between.

#include "formats/core/bytesource.h"
#include "formats/slides/slidereference.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace dsc::platform {

// A regular file opened for reading only, shared with every other program (no lock of ours).
class FileSource : public ByteSource {
public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override;

    // False for anything that is not a regular file (a FIFO, a device, a folder) or cannot be opened.
    bool open(const std::filesystem::path& path);
    void close();
    bool isOpen() const { return m_handle != kNoHandle; }
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    static constexpr std::intptr_t kNoHandle = -1;
    // The system's part: release a handle; read up to `count` bytes at `offset` (0 on an error or
    // at the end of the file).
    static void release(std::intptr_t handle);
    static std::size_t readSome(std::intptr_t handle, std::uint64_t offset, std::uint8_t* out, std::size_t count);

    std::intptr_t m_handle = kNoHandle; // the system's descriptor or handle
    std::uint64_t m_size = 0;
};

// The program's arguments as paths, whatever characters they hold (the wide command line on Windows).
std::vector<std::filesystem::path> commandLineArguments(int argc, char** argv);

// Opens the reference's file and loads the slide it names from it.
LoadedSlide loadSlideFile(const SlideReference& ref, bool firstMember = false);

} // namespace dsc::platform
