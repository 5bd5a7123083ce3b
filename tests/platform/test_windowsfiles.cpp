// Folders past MAX_PATH and listings handed over in batches, on the Windows file system for real.
#include "platform/filesource.h"
#include "platform/filesystem.h"
#include "platform/trash.h"
#include "platform/windows/winpaths.h"
#include "support/samples.h"
#include "support/slidewriter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

using namespace dsc;

namespace {

// Writes through the extended-length form: the test itself is not bound by MAX_PATH.
void writeLong(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
    HANDLE h = ::CreateFileW(platform::win::extendedLength(p).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(h);
}

bool existsLong(const std::filesystem::path& p) {
    return ::GetFileAttributesW(platform::win::extendedLength(p).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder whose own path passes 300 characters, made of 60-character steps.
std::filesystem::path deepFolder(const std::filesystem::path& base) {
    std::filesystem::path p = base;
    for (int i = 0; p.native().size() < 300; ++i) {
        p /= std::wstring(56, static_cast<wchar_t>(L'a' + i)) + L" \u00e9t" + std::to_wstring(i);
        ::CreateDirectoryW(platform::win::extendedLength(p).c_str(), nullptr);
    }
    return p;
}

} // namespace

TEST(WindowsLongPaths, ExtendedLengthForms) {
    namespace w = platform::win;
    EXPECT_EQ(w::extendedLength(L"C:\\Plans\\.\\Lot 3\\..\\Lot 4").native(), L"\\\\?\\C:\\Plans\\Lot 4");
    EXPECT_EQ(w::extendedLength(L"C:/Plans/Lot 3").native(), L"\\\\?\\C:\\Plans\\Lot 3");
    EXPECT_EQ(w::extendedLength(L"\\\\serveur\\dessins\\Lot 3").native(), L"\\\\?\\UNC\\serveur\\dessins\\Lot 3");
    EXPECT_EQ(w::extendedLength(L"\\\\?\\C:\\x").native(), L"\\\\?\\C:\\x");
    EXPECT_EQ(w::extendedLength(L"relatif\\x").native(), L"relatif\\x");
    EXPECT_EQ(w::shellPath(L"C:\\court.dwg").native(), L"C:\\court.dwg");
}

TEST(WindowsLongPaths, AFolderPastMaxPathIsListedPreviewedDescribedAndTrashed) {
    test::TempDir base;
    const std::filesystem::path dir = deepFolder(base.path());
    ASSERT_GT(dir.native().size(), 300u);
    ASSERT_TRUE(existsLong(dir));
    const auto slide = dir / L"vue.sld";
    const auto bytes = test::simpleSlide();
    writeLong(slide, bytes);
    auto& fs = platform::systemFileSystem();
    // Entered: the folder is one, and its listing has the slide.
    EXPECT_TRUE(fs.isDirectory(dir));
    const auto entries = fs.list(dir);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, L"vue.sld");
    // Its facts, read without opening.
    EXPECT_EQ(fs.fileSize(slide), bytes.size());
    EXPECT_TRUE(fs.fileTimes(slide).lastWrite.has_value());
    // Previewed: the readers open it and find the slide.
    const LoadedSlide loaded = platform::loadSlideFile(SlideReference{slide, {}, false});
    EXPECT_TRUE(loaded.ok());
    // Trashed: into the bin when there is one, else left where it was; never lost.
    std::string reason;
    const bool trashed = platform::systemTrash().moveToTrash(slide, reason);
    if (std::getenv("XDG_DATA_HOME")) {
        EXPECT_TRUE(trashed) << reason;
    }
    EXPECT_EQ(existsLong(slide), !trashed);
    EXPECT_EQ(reason.empty(), trashed);
    // Deep folders are left to remove_all, which takes them through the same long form.
    std::error_code ec;
    std::filesystem::remove_all(platform::win::extendedLength(base.path()), ec);
}

// Windows 10 and later lift MAX_PATH for programs whose manifest says so (and the machine allows).
TEST(WindowsLongPaths, TheProgramsManifestIsLongPathAware) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const auto program = std::filesystem::path(self).parent_path() / L"dessiscope.exe";
    HMODULE m = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m, nullptr) << program;
    HRSRC r = ::FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    ASSERT_NE(r, nullptr);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(m, r)));
    const std::string manifest(text, ::SizeofResource(m, r));
    EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true<"),
              std::string::npos);
    ::FreeLibrary(m);
}

TEST(WindowsListing, HandedOverInBatchesAndStoppedBetweenThem) {
    test::TempDir dir;
    for (int i = 0; i < 700; ++i) {
        test::writeFile(dir / (L"plan " + std::to_wstring(i) + L".dwg"), {});
    }
    auto& fs = platform::systemFileSystem();
    std::vector<std::size_t> sizes;
    ASSERT_TRUE(fs.listInBatches(dir.path(), [&](std::vector<platform::DirEntry>&& batch) {
        sizes.push_back(batch.size());
        return true;
    }));
    ASSERT_GE(sizes.size(), 3u); // never the whole folder at once
    std::size_t total = 0;
    for (std::size_t n : sizes) {
        EXPECT_LE(n, 256u);
        total += n;
    }
    EXPECT_EQ(total, 700u);
    // Asked to stop after the first: no further batch comes.
    int calls = 0;
    EXPECT_TRUE(fs.listInBatches(dir.path(), [&](std::vector<platform::DirEntry>&&) { return ++calls < 1; }));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(fs.listInBatches(dir / L"absent", [](std::vector<platform::DirEntry>&&) { return true; }));
}
