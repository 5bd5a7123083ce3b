// A file's facts and preview read step by step: once the read is stale, not one more call is made.
#include "platform/filesystem.h"
#include "preview/fileview.h"
#include "support/dwgwriter.h"
#include "support/samples.h"
#include "support/slidewriter.h"

#include <gtest/gtest.h>

using namespace dsc;

namespace {

// Counts the calls a read makes on the file system, reads of an opened file included.
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
        auto source = inner().openFile(path);
        return source ? std::make_unique<CountingSource>(std::move(source), calls) : nullptr;
    }

private:
    class CountingSource : public ByteSource {
    public:
        CountingSource(std::unique_ptr<ByteSource> inner, int& calls) : m_inner(std::move(inner)), m_calls(calls) {}
        std::uint64_t size() const override { return m_inner->size(); }
        bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
            ++m_calls;
            return m_inner->readAt(offset, out);
        }

    private:
        std::unique_ptr<ByteSource> m_inner;
        int& m_calls;
    };

    static platform::FileSystem& inner() { return platform::systemFileSystem(); }
};

TEST(FileView, AStaleReadMakesNoFurtherCall) {
    test::TempDir dir;
    test::writeFile(dir / "porte.sld", test::simpleSlide());
    test::writeFile(dir / "SYMBOLES.SLB", test::writeLibrary({{"PORTE", test::simpleSlide(1)}}));
    test::writeFile(
        dir / "plan.dwg",
        test::drawingWith(2, test::writeDib(8, 4, 24, [](int, int) -> std::uint32_t { return 0xFF; })).build());
    for (const char* name : {"porte.sld", "SYMBOLES.SLB", "plan.dwg"}) {
        CountingFileSystem whole;
        (void)readFileView(whole, dir / name, QSize(64, 48), [] { return false; });
        // The times, the size, the opening, then at least one read of the contents.
        ASSERT_GT(whole.calls, 3) << name;
        // Made stale after any call, before the times up to within the decoding of the preview.
        for (int staleAfter = 0; staleAfter <= whole.calls; ++staleAfter) {
            CountingFileSystem fs;
            const auto view = readFileView(fs, dir / name, QSize(64, 48), [&] { return fs.calls >= staleAfter; });
            EXPECT_EQ(fs.calls, staleAfter) << name << " made stale after " << staleAfter << " calls";
        }
    }
}

} // namespace
