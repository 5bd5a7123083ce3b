#pragma once
// What the browsing logic asks of the file system. Paths are native paths (bytes on Linux), so
// names that are not valid text still work.

#include "formats/core/bytesource.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dsc::platform {

struct DirEntry {
    std::filesystem::path name; // bare name, native encoding
    bool isDirectory = false;   // after following symbolic links
    bool isHidden = false;
};

// A browsable volume: a drive letter on Windows, a mounted file system on Linux.
struct Volume {
    std::filesystem::path root;
    std::string label; // UTF-8, empty when the volume has none
};

// Time stamps as 100-nanosecond intervals since 1601-01-01 00:00 UTC.
struct FileTimes {
    std::optional<std::int64_t> creation;
    std::optional<std::int64_t> lastWrite;
};

// Every call may come from any thread: the window reads off its own.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The entries of a folder, or nothing when it cannot be read.
    virtual std::optional<std::vector<DirEntry>> list(const std::filesystem::path& dir) = 0;
    // The entries of a folder handed over as they are read, a batch at a time, so a long listing
    // can be shown as it comes; `batch` returns false to stop early. False when the folder cannot
    // be read. By default, the whole listing in one batch.
    virtual bool listInBatches(const std::filesystem::path& dir,
                               const std::function<bool(std::vector<DirEntry>&&)>& batch);
    virtual bool isDirectory(const std::filesystem::path& path) = 0;
    virtual std::vector<Volume> volumes() = 0;
    virtual std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) = 0;
    // Reads the times without opening the file for writing or locking it.
    virtual FileTimes fileTimes(const std::filesystem::path& path) = 0;
    // Opens a regular file for reading, shared with every other program; null when it cannot be
    // opened or is not a regular file.
    virtual std::unique_ptr<ByteSource> openFile(const std::filesystem::path& path);
    // Calls `changed` (in the event loop) whenever a volume comes or goes; an empty function stops
    // it. Systems that cannot tell keep the list they had.
    virtual void watchVolumes(std::function<void()> changed) { (void)changed; }

protected:
    // The whole listing, gathered from listInBatches: for systems whose batched listing is primary.
    std::optional<std::vector<DirEntry>> gatherBatches(const std::filesystem::path& dir);
};

// The machine's own file system.
FileSystem& systemFileSystem();

// Text for showing a native path or name (undecodable bytes become replacement characters).
std::string displayText(const std::filesystem::path& path);

} // namespace dsc::platform
