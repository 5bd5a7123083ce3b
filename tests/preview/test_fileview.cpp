// A file's facts and preview read step by step: once the read is stale, not one more call is made.
#include "platform/filesystem.h"
#include "preview/fileview.h"
#include "support/samples.h"
#include "support/slidewriter.h"

#include <gtest/gtest.h>

using namespace dsc;

namespace {

// Counts the calls a read makes on the file system.
class CountingFileSystem : public platform::FileSystem {
public:
    int calls = 0;
    std::optional<std::vector<platform::DirEntry>> list(const std::filesystem::path& dir) override {
        return inner().list(dir);
    }
    bool isDirectory(const std::filesystem::path& path) override { return inner().isDirectory(path); }
    std::vector<platform::Volume> volumes() override { return inner().volumes(); }
    std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override {
        ++calls;
        return inner().fileSize(path);
    }
    platform::FileTimes fileTimes(const std::filesystem::path& path) override {
        ++calls;
        return inner().fileTimes(path);
    }
    std::unique_ptr<ByteSource> openFile(const std::filesystem::path& path) override {
        ++calls;
        return inner().openFile(path);
    }

private:
    static platform::FileSystem& inner() { return platform::systemFileSystem(); }
};

TEST(FileView, AStaleReadMakesNoFurtherCall) {
    test::TempDir dir;
    test::writeFile(dir / "porte.sld", test::simpleSlide());
    test::writeFile(dir / "SYMBOLES.SLB", test::writeLibrary({{"PORTE", test::simpleSlide(1)}}));
    for (const char* name : {"porte.sld", "SYMBOLES.SLB"}) {
        for (int staleAfter = 0; staleAfter <= 3; ++staleAfter) {
            CountingFileSystem fs;
            const auto view = readFileView(fs, dir / name, QSize(64, 48), [&] { return fs.calls >= staleAfter; });
            EXPECT_EQ(fs.calls, staleAfter) << name << " made stale after " << staleAfter << " calls";
        }
    }
}

} // namespace
