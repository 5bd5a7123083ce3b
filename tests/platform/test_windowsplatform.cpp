// The Windows backends for real, under Wine in a throw-away prefix: drives, non-ASCII names, file
// facts without opening, the association of drawings in the registry, the recycle bin.
#include "browse/navigation.h"
#include "platform/filesource.h"
#include "platform/filesystem.h"
#include "platform/launcher.h"
#include "platform/locale.h"
#include "platform/trash.h"
#include "platform/windows/winpaths.h"
#include "support/samples.h"
#include "windowsbin.h"

#include <QString>

#include <gtest/gtest.h>

#include <windows.h>

#include <shobjidl.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

using namespace dsc;

namespace {

// "Façade Ω 平面.dwg" in UTF-8, and as a path.
const std::string kNonAsciiUtf8 = "Fa\xc3\xa7"
                                  "ade \xce\xa9 \xe5\xb9\xb3\xe9\x9d\xa2.dwg";
const std::filesystem::path kNonAscii = QString::fromUtf8(kNonAsciiUtf8.c_str()).toStdWString();

void setKey(HKEY root, const std::wstring& key, const std::wstring& value) {
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ::RegCloseKey(h);
}

std::filesystem::path programDir() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path();
}

} // namespace

TEST(WindowsFileSystem, DrivesWithLettersAndTheUnixRoot) {
    const auto volumes = platform::systemFileSystem().volumes();
    std::vector<std::wstring> roots;
    for (const auto& v : volumes) {
        roots.push_back(v.root.native());
    }
    EXPECT_NE(std::find(roots.begin(), roots.end(), L"C:\\"), roots.end());
    EXPECT_NE(std::find(roots.begin(), roots.end(), L"Z:\\"), roots.end());
    // Drive letters compare without case; the tree starts at the drive's root, not "C:".
    EXPECT_GE(volumeIndexFor(volumes, L"c:\\windows\\system32"), 0);
    EXPECT_EQ(ancestry(L"C:\\Plans\\Lot 3"),
              (std::vector<std::filesystem::path>{L"C:\\", L"C:\\Plans", L"C:\\Plans\\Lot 3"}));
    EXPECT_EQ(ancestry(L"\\\\serveur\\dessins\\Lot 3"),
              (std::vector<std::filesystem::path>{L"\\\\serveur\\dessins\\", L"\\\\serveur\\dessins\\Lot 3"}));
    EXPECT_EQ(withTrailingSeparator(L"C:\\"), std::filesystem::path(L"C:\\"));
    EXPECT_EQ(withTrailingSeparator(L"C:\\Plans"), std::filesystem::path(L"C:\\Plans\\"));
}

TEST(WindowsFileSystem, NonAsciiNamesListedSizedAndDatedWithoutOpening) {
    test::TempDir dir;
    test::writeFile(dir / kNonAscii, {'A', 'C', '1', '0', '1', '8'});
    test::writeFile(dir / L"caché.sld", {});
    ::SetFileAttributesW((dir / L"caché.sld").c_str(), FILE_ATTRIBUTE_HIDDEN);
    auto& fs = platform::systemFileSystem();
    const auto files = matchingFiles(fs, dir.path());
    ASSERT_EQ(files.size(), 1u); // the hidden one left out
    EXPECT_EQ(files[0], kNonAscii);
    EXPECT_EQ(fs.fileSize(dir / kNonAscii), 6u);
    // Read-only, and open without sharing in another handle: the dates still read.
    const auto path = dir / kNonAscii;
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME written{};
    SYSTEMTIME st{2001, 2, 6, 3, 4, 5, 6, 0}; // 2001-02-03 04:05:06 UTC
    ::SystemTimeToFileTime(&st, &written);
    ASSERT_TRUE(::SetFileTime(h, nullptr, nullptr, &written));
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    const platform::FileTimes t = fs.fileTimes(path);
    ASSERT_TRUE(t.lastWrite.has_value());
    EXPECT_EQ(*t.lastWrite, 116444736000000000LL + 981173106LL * 10000000LL);
    EXPECT_TRUE(t.creation.has_value());
    ::CloseHandle(h);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // And the readers open it, sharing everything.
    platform::FileSource src;
    EXPECT_TRUE(src.open(path));
    EXPECT_FALSE(src.open(dir.path())); // a folder is no file
    EXPECT_EQ(platform::displayText(kNonAscii), kNonAsciiUtf8);
}

TEST(WindowsLocale, ShortDateAndTimeWithSeconds) {
    auto& f = platform::systemLocaleFormats();
    const platform::CalendarTime t{2024, 1, 31, 3, 11, 20, 5, 0};
    const std::string date = f.shortDate(t), time = f.time(t);
    EXPECT_NE(date.find("31"), std::string::npos) << date;
    EXPECT_NE(date.find("2024"), std::string::npos) << date;
    EXPECT_NE(time.find("20"), std::string::npos) << time;
    EXPECT_NE(time.find("05"), std::string::npos) << time; // seconds shown
}

TEST(WindowsShell, AssociationStartsTheProgramInTheDrawingsFolder) {
    test::TempDir dir;
    test::writeFile(dir / kNonAscii, {'A', 'C'});
    const std::filesystem::path cad = programDir() / L"fakecad.exe";
    ASSERT_TRUE(std::filesystem::exists(cad)) << cad;
    std::filesystem::remove(programDir() / L"fakecad-marker.txt");
    // Registered for the user, as a per-user installation does. Windows merges these keys into
    // HKEY_CLASSES_ROOT; Wine 8 does not, so there they go to the machine's classes as well.
    const std::wstring command = L"\"" + cad.native() + L"\" \"%1\"";
    setKey(HKEY_CURRENT_USER, L"Software\\Classes\\.dwg", L"DessiscopeTest.Drawing");
    setKey(HKEY_CURRENT_USER, L"Software\\Classes\\DessiscopeTest.Drawing\\shell\\open\\command", command);
    HKEY merged = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".dwg", 0, KEY_READ, &merged) == ERROR_SUCCESS) {
        ::RegCloseKey(merged);
    } else {
        setKey(HKEY_CLASSES_ROOT, L".dwg", L"DessiscopeTest.Drawing");
        setKey(HKEY_CLASSES_ROOT, L"DessiscopeTest.Drawing\\shell\\open\\command", command);
    }
    const platform::LaunchOutcome out = platform::systemLauncher().open(0, kNonAscii, dir.path());
    EXPECT_EQ(out.result, platform::LaunchOutcome::Result::Started) << out.reason;
    const auto marker = programDir() / L"fakecad-marker.txt";
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // a separate process: polled
    }
    std::ifstream in(marker);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3); // the byte-order mark of a UTF-8 text file
    }
    EXPECT_NE(text.find(kNonAsciiUtf8), std::string::npos) << text;
    EXPECT_EQ(text.find(QString::fromStdWString(dir.path().native()).toStdString()), 0u) << text; // its folder
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
        const std::wstring base = root == HKEY_CURRENT_USER ? L"Software\\Classes\\" : L"";
        ::RegDeleteTreeW(root, (base + L"DessiscopeTest.Drawing").c_str());
        ::RegDeleteTreeW(root, (base + L".dwg").c_str());
    }
}

TEST(WindowsShell, NoAssociationIsToldApart) {
    test::TempDir dir;
    test::writeFile(dir / L"plan.zzdessiscope", {1});
    const platform::LaunchOutcome out = platform::systemLauncher().open(0, L"plan.zzdessiscope", dir.path());
    EXPECT_EQ(out.result, platform::LaunchOutcome::Result::NoAssociation) << out.reason;
}

TEST(WindowsShell, RecycleBinTakesTheFileAndAFailureLeavesIt) {
    test::TempDir dir;
    // A name of its own, so the bin's listing tells this file from any other.
    if (!std::getenv("XDG_DATA_HOME")) {
        GTEST_SKIP() << "no bin in this run";
    }
    const std::wstring name = L"corbeille " + std::to_wstring(::GetTickCount64()) + L" " + kNonAscii.native();
    const auto path = dir / name;
    test::writeFile(path, {1, 2, 3});
    ASSERT_FALSE(test::inRecycleBin(name));
    std::string reason;
    EXPECT_TRUE(platform::systemTrash().moveToTrash(path, reason)) << reason;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(test::inRecycleBin(name)); // recycled, not destroyed
    // A file that cannot go (it does not exist any more): told, and nothing else happens.
    EXPECT_FALSE(platform::systemTrash().moveToTrash(path, reason));
    EXPECT_FALSE(reason.empty());
    // A file another program holds open without sharing: it stays where it is, and the user is told.
    const auto held = dir / L"tenu.dwg";
    test::writeFile(held, {1});
    HANDLE h = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    reason.clear();
    EXPECT_FALSE(platform::systemTrash().moveToTrash(held, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::exists(held));
    ::CloseHandle(h);
}

// Wine's bin is the XDG trash, and only where XDG_DATA_HOME says (Wine hands no HOME to Windows
// programs); the suite runs once without it: no bin at all, and the file must stay.
TEST(WindowsShell, WithoutABinTheFileStaysAndTheUserIsTold) {
    if (std::getenv("XDG_DATA_HOME")) {
        GTEST_SKIP() << "this run has a bin";
    }
    test::TempDir dir;
    const auto path = dir / kNonAscii;
    test::writeFile(path, {1, 2, 3});
    std::string reason;
    EXPECT_FALSE(platform::systemTrash().moveToTrash(path, reason));
    EXPECT_TRUE(std::filesystem::exists(path)); // not destroyed
    EXPECT_FALSE(reason.empty());
}

// The shell announces each deletion with how it will be done: only a recycling one may go ahead.
TEST(WindowsShell, OnlyADeletionIntoTheBinMayGoAhead) {
    EXPECT_TRUE(platform::win::deletionGoesToBin(TSF_DELETE_RECYCLE_IF_POSSIBLE));
    EXPECT_TRUE(platform::win::deletionGoesToBin(TSF_DELETE_RECYCLE_IF_POSSIBLE | TSF_NORMAL));
    EXPECT_FALSE(platform::win::deletionGoesToBin(TSF_NORMAL));              // no bin on the volume
    EXPECT_FALSE(platform::win::deletionGoesToBin(TSF_COPY_LOCALIZED_NAME)); // the bin too small or off
}
