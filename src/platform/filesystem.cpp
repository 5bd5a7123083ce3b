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

std::unique_ptr<ByteSource> FileSystem::openFile(const std::filesystem::path& path) {
    auto source = std::make_unique<FileSource>();
    if (!source->open(path)) {
        return nullptr;
    }
    return source;
}

} // namespace dsc::platform
