// The shell's thumbnail handler as Explorer uses it: registered, created through COM, handed a
// stream over each file, asked for 256 pixels. Its pictures are the thumbnail tool's, pixel for
// pixel; damaged and hostile files give E_FAIL and nothing worse.
#include "formats/core/bytesource.h"
#include "formats/raster/png.h"
#include "formats/thumbnail.h"
#include "support/dwgwriter.h"
#include "support/samples.h"
#include "support/slidewriter.h"
#include "thumbregistry.h"

#include <windows.h>

#include <objbase.h>
#include <propsys.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

using namespace dsc;

namespace {

const std::filesystem::path kBin = DESSISCOPE_BIN_DIR;
const IID kIThumbnailProvider = {0xe357fccd, 0xa995, 0x4576, {0xb0, 0x1f, 0x23, 0x46, 0x30, 0x15, 0x4e, 0x96}};
const IID kIInitializeWithStream = {0xb824b49d, 0x22ac, 0x4161, {0xac, 0x8a, 0x99, 0x16, 0xe8, 0xfa, 0x3f, 0x7f}};

struct Picture {
    HRESULT hr = E_FAIL;
    Raster image; // the bitmap's pixels, when there is one
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
};

class ThumbnailHandler : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        s_module = LoadLibraryW((kBin / "dessiscope-thumbs.dll").c_str());
        ASSERT_NE(s_module, nullptr);
        auto reg = entry("DllRegisterServer");
        ASSERT_NE(reg, nullptr);
        ASSERT_EQ(reg(), S_OK);
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    // What the handler makes of `file`, read through a stream as Explorer hands it over.
    static Picture thumbnail(const std::filesystem::path& file, UINT size = 256) {
        Picture out;
        IInitializeWithStream* init = nullptr;
        out.hr = CoCreateInstance(thumbs::kClsid, nullptr, CLSCTX_INPROC_SERVER, kIInitializeWithStream,
                                  reinterpret_cast<void**>(&init));
        if (FAILED(out.hr)) {
            return out;
        }
        IStream* stream = nullptr;
        out.hr = SHCreateStreamOnFileEx(file.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                        nullptr, &stream);
        if (SUCCEEDED(out.hr)) {
            out.hr = init->Initialize(stream, STGM_READ);
            stream->Release();
        }
        IThumbnailProvider* provider = nullptr;
        if (SUCCEEDED(out.hr)) {
            out.hr = init->QueryInterface(kIThumbnailProvider, reinterpret_cast<void**>(&provider));
        }
        init->Release();
        if (FAILED(out.hr)) {
            return out;
        }
        HBITMAP bitmap = nullptr;
        out.hr = provider->GetThumbnail(size, &bitmap, &out.alpha);
        provider->Release();
        if (out.hr == S_OK) {
            // Read back top row first, whichever way the section keeps its rows.
            BITMAP bm{};
            if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmBitsPixel != 32) {
                out.hr = E_UNEXPECTED; // not a 32-bit bitmap
            } else {
                out.image.width = bm.bmWidth;
                out.image.height = bm.bmHeight;
                out.image.pixels.resize(std::size_t(bm.bmWidth) * std::size_t(bm.bmHeight));
                BITMAPINFO info{};
                info.bmiHeader.biSize = sizeof info.bmiHeader;
                info.bmiHeader.biWidth = bm.bmWidth;
                info.bmiHeader.biHeight = -bm.bmHeight;
                info.bmiHeader.biPlanes = 1;
                info.bmiHeader.biBitCount = 32;
                info.bmiHeader.biCompression = BI_RGB;
                HDC dc = GetDC(nullptr);
                if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), out.image.pixels.data(), &info,
                              DIB_RGB_COLORS) != bm.bmHeight) {
                    out.hr = E_UNEXPECTED;
                }
                ReleaseDC(nullptr, dc);
            }
        }
        if (bitmap) {
            DeleteObject(bitmap);
        }
        return out;
    }

    // What the thumbnail tool writes for `file` at 256 pixels; nothing when it writes nothing.
    static std::optional<Raster> toolPicture(const std::filesystem::path& file) {
        const std::filesystem::path png = std::filesystem::temp_directory_path() / "dessiscope-thumbhost.png";
        std::filesystem::remove(png);
        const std::wstring command = L"\"\"" + (kBin / "dessiscope-thumbnail.exe").wstring() + L"\" -s 256 \"" +
                                     file.wstring() + L"\" \"" + png.wstring() + L"\" 2>NUL\"";
        if (_wsystem(command.c_str()) != 0) {
            return std::nullopt;
        }
        Raster image;
        const auto bytes = test::readFile(png);
        if (!decodePng(bytes, image).empty()) {
            return std::nullopt;
        }
        return image;
    }

    // One of the DLL's registration entry points.
    static HRESULT(STDAPICALLTYPE* entry(const char* name))() {
        return reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(s_module, name)));
    }

    static HMODULE s_module;
};
HMODULE ThumbnailHandler::s_module = nullptr;

TEST_F(ThumbnailHandler, RegisteredForSlidesAndLibrariesOnly) {
    const thumbs::ClassesRoot root = thumbs::classesRoot();
    EXPECT_EQ(thumbs::handlerOf(root, L".sld"), thumbs::kClsidText);
    EXPECT_EQ(thumbs::handlerOf(root, L".slb"), thumbs::kClsidText);
    EXPECT_EQ(thumbs::handlerOf(root, L".dwg"), L""); // drawings: the installer's opt-in
}

TEST_F(ThumbnailHandler, EverySampleAsTheThumbnailToolDrawsIt) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    int compared = 0;
    for (const char* folder : {"sld", "dwg"}) {
        for (const auto& entry : std::filesystem::directory_iterator(test::samplesDir() / folder)) {
            std::wstring ext = entry.path().extension().wstring();
            for (auto& c : ext) {
                c = static_cast<wchar_t>(towlower(c));
            }
            if (ext != L".sld" && ext != L".slb" && ext != L".dwg") {
                continue;
            }
            SCOPED_TRACE(entry.path().string());
            const Picture got = thumbnail(entry.path());
            const std::optional<Raster> want = toolPicture(entry.path());
            if (!want) {
                EXPECT_EQ(got.hr, E_FAIL); // no preview to give: the shell shows its own icon
                continue;
            }
            ASSERT_EQ(got.hr, S_OK);
            ASSERT_EQ(got.image.width, want->width);
            ASSERT_EQ(got.image.height, want->height);
            EXPECT_LE(std::max(got.image.width, got.image.height), 256);
            EXPECT_TRUE(got.image.pixels == want->pixels) << "pixels differ";
            ++compared;
        }
    }
    EXPECT_GE(compared, 27); // every sample with a preview
    // The drawings that store no preview are drawn from their geometry, with ink on the black.
    for (const char* name : {"r2000_PolyLine2D_empty_preview.dwg", "r2018_Arc_header_only.dwg",
                             "r2018_Constraints_empty_preview.dwg", "pre_r10_entities_AC1006.dwg"}) {
        SCOPED_TRACE(name);
        const Picture got = thumbnail(test::samplesDir() / "dwg" / name);
        ASSERT_EQ(got.hr, S_OK);
        EXPECT_TRUE(std::any_of(got.image.pixels.begin(), got.image.pixels.end(),
                                [](std::uint32_t p) { return (p & 0xFFFFFFu) != 0; }));
    }
}

TEST_F(ThumbnailHandler, DamagedAndHostileFilesGiveEFail) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "dessiscope-thumbhost";
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const test::Bytes& bytes) {
        test::writeFile(dir / name, bytes);
        return dir / name;
    };
    // Nothing to show: each of these must be refused, quickly and cleanly.
    auto bmp = test::writeDib(4, 4, 24, [](int, int) -> std::uint32_t { return 0; });
    test::put32(bmp, 4, 60000); // claims 60000 × 60000 pixels
    test::put32(bmp, 8, 60000);
    test::Bytes junk(5000);
    for (std::size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    }
    test::Bytes headerOnly = test::simpleSlide();
    headerOnly.resize(20);
    test::Bytes pointsPastItsEnd = test::writeLibrary({{"A", test::simpleSlide()}}, {1u << 30});
    for (const auto& file :
         {write("empty.sld", {}), write("junk.slb", junk), write("junk.dwg", junk), write("cut_header.sld", headerOnly),
          write("huge.dwg", test::drawingWith(2, bmp).build()), write("far_member.slb", pointsPastItsEnd)}) {
        SCOPED_TRACE(file.string());
        EXPECT_EQ(thumbnail(file).hr, E_FAIL);
    }
    // Real files cut at every eighth: what is left gives its picture or E_FAIL, the same as the
    // readers make of the same bytes in memory.
    if (test::haveSamples()) {
        for (const char* s : {"sld/mnas_LOPATKA.sld", "sld/mnas_LINES.slb", "dwg/r2013_example.dwg",
                              "dwg/r2004_example.dwg", "dwg/r14_v_preview_at_eof.dwg"}) {
            const test::Bytes bytes = test::readFile(test::samplesDir() / s);
            for (int eighth = 0; eighth < 8; ++eighth) {
                SCOPED_TRACE(std::string(s) + " cut at " + std::to_string(eighth) + "/8");
                const test::Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() * eighth / 8));
                const Picture got = thumbnail(write("cut.bin", cut));
                MemorySource memory(cut);
                const std::size_t n = std::min<std::size_t>(32, cut.size());
                const Thumbnail want = makeThumbnail(memory, contentOf(std::span(cut.data(), n)), 256);
                ASSERT_EQ(got.hr, want.ok() ? S_OK : E_FAIL);
                if (want.ok()) {
                    EXPECT_TRUE(got.image.pixels == want.image.pixels);
                }
            }
        }
    }
    // Asked for an absurd size: refused, never a crash.
    for (UINT size : {0u, 4097u, 65536u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(thumbnail(write("good.sld", test::simpleSlide()), size).hr, E_INVALIDARG);
    }
    EXPECT_EQ(thumbnail(write("good.sld", test::simpleSlide()), 4096).hr, S_OK);
    std::filesystem::remove_all(dir);
}

// The DLL may be unloaded only once no object it made is alive and no client holds it locked.
TEST_F(ThumbnailHandler, UnloadsOnlyWhenNothingOfItIsAlive) {
    auto canUnload = entry("DllCanUnloadNow");
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(s_module, "DllGetClassObject")));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_EQ(canUnload(), S_OK);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(thumbs::kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    IUnknown* provider = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, kIThumbnailProvider, reinterpret_cast<void**>(&provider)), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnload(), S_FALSE); // the provider and the lock
    provider->Release();
    EXPECT_EQ(canUnload(), S_FALSE); // the lock
    ASSERT_EQ(getClassObject(thumbs::kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnload(), S_OK);
}

// Another program's handler, there before us, for the current user and for every user: registering
// leaves it in place, unregistering leaves it too.
TEST_F(ThumbnailHandler, AForeignHandlerIsNeverReplaced) {
    const wchar_t theirs[] = L"{00000000-1111-2222-3333-555555555555}";
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const thumbs::ClassesRoot root{hive};
        SCOPED_TRACE(hive == HKEY_CURRENT_USER ? "HKCU" : "HKLM");
        const std::wstring ext = std::wstring(root.path) + L"\\.slb";
        const std::wstring entryKey = ext + L"\\" + thumbs::kThumbnailShellEx;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(hive, entryKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(theirs), sizeof theirs);
        RegCloseKey(key);
        EXPECT_EQ(thumbs::registerHandler(root, (kBin / "dessiscope-thumbs.dll").wstring(), {L".sld", L".slb"}), S_OK);
        EXPECT_EQ(thumbs::handlerOf(root, L".sld"), thumbs::kClsidText);
        EXPECT_EQ(thumbs::handlerOf(root, L".slb"), theirs);
        EXPECT_EQ(thumbs::unregisterHandler(root, {L".sld", L".slb"}), S_OK);
        EXPECT_EQ(thumbs::handlerOf(root, L".sld"), L"");
        EXPECT_EQ(thumbs::handlerOf(root, L".slb"), theirs);
        RegDeleteTreeW(hive, ext.c_str());
    }
    // Registered again, as the suite found it.
    EXPECT_EQ(entry("DllRegisterServer")(), S_OK);
}

TEST_F(ThumbnailHandler, UnregisteringRemovesItAndLeavesOtherHandlersAlone) {
    const thumbs::ClassesRoot root = thumbs::classesRoot();
    // Another program's handler for drawings stays where it is.
    HKEY key = nullptr;
    const std::wstring dwg = std::wstring(root.path) + L"\\.dwg";
    const bool hadDwg = RegOpenKeyExW(root.hive, dwg.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (hadDwg) {
        RegCloseKey(key);
    }
    const std::wstring other = dwg + L"\\" + thumbs::kThumbnailShellEx;
    ASSERT_EQ(RegCreateKeyExW(root.hive, other.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t theirs[] = L"{00000000-1111-2222-3333-444444444444}";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(theirs), sizeof theirs);
    RegCloseKey(key);
    auto unreg = entry("DllUnregisterServer");
    ASSERT_NE(unreg, nullptr);
    ASSERT_EQ(unreg(), S_OK);
    EXPECT_EQ(thumbs::handlerOf(root, L".sld"), L"");
    EXPECT_EQ(thumbs::handlerOf(root, L".slb"), L"");
    EXPECT_EQ(thumbs::handlerOf(root, L".dwg"), theirs);
    IUnknown* gone = nullptr;
    EXPECT_EQ(
        CoCreateInstance(thumbs::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&gone)),
        REGDB_E_CLASSNOTREG);
    // The prefix as it was: later programs in it look drawings' associations up there.
    RegDeleteTreeW(root.hive, (hadDwg ? other : dwg).c_str());
    // And registered again for whatever runs next in this prefix.
    auto reg = entry("DllRegisterServer");
    EXPECT_EQ(reg(), S_OK);
}

} // namespace
