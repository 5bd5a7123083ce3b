// What every file system does the same way.
#include "filesystem.h"

#include "filesource.h"

namespace dsc::platform {

bool FileSystem::listInBatches(const std::filesystem::path& dir,
                               const std::function<bool(std::vector<DirEntry>&&)>& batch) {
    auto entries = list(dir);
    if (!entries) {
        return false;
    }
    batch(std::move(*entries));
    return true;
}

std::optional<std::vector<DirEntry>> FileSystem::gatherBatches(const std::filesystem::path& dir) {
    std::vector<DirEntry> all;
    const bool ok = listInBatches(dir, [&all](std::vector<DirEntry>&& batch) {
        all.insert(all.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
        return true;
    });
    return ok ? std::optional<std::vector<DirEntry>>(std::move(all)) : std::nullopt;
}

std::unique_ptr<ByteSource> FileSystem::openFile(const std::filesystem::path& path) {
    auto source = std::make_unique<FileSource>();
    if (!source->open(path)) {
        return nullptr;
    }
    return source;
}

} // namespace dsc::platform
