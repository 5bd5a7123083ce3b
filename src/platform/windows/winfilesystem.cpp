// File system services on Windows: FindFirstFileExW, GetFileAttributesExW and the drive letters.
// Every path goes in its extended-length form, so folders past MAX_PATH work; no call raises the
// system's "insert a disk" box, whichever thread makes it.
#include "platform/filesystem.h"
#include "winpaths.h"

#include <QString>

#include <windows.h>

namespace dsc::platform {

namespace {

std::int64_t toStamp(const FILETIME& t) {
    // FILETIME is already 100-ns intervals since 1601; beyond the signed range is clamped.
    const std::uint64_t v = (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    return v > std::uint64_t(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(v);
}

// Names handed over at a time by a listing.
constexpr std::size_t kListingBatch = 256;

class WindowsFileSystem : public FileSystem {
public:
    std::optional<std::vector<DirEntry>> list(const std::filesystem::path& dir) override { return gatherBatches(dir); }

    bool listInBatches(const std::filesystem::path& dir,
                       const std::function<bool(std::vector<DirEntry>&&)>& batch) override {
        win::NoCriticalErrorBoxes quiet;
        WIN32_FIND_DATAW found{};
        const std::filesystem::path pattern = win::extendedLength(dir) / L"*";
        HANDLE h = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
        if (h == INVALID_HANDLE_VALUE) {
            // An empty folder still has "." and ".."; a root may have nothing at all.
            return ::GetLastError() == ERROR_FILE_NOT_FOUND;
        }
        // As on Linux: the first names of a slow share show at once, and the reader can stop between
        // two batches (a new folder chosen, the window closed).
        std::vector<DirEntry> entries;
        bool wanted = true;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            DirEntry e;
            e.name = name;
            e.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            e.isHidden = (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
            entries.push_back(std::move(e));
            if (entries.size() == kListingBatch) {
                wanted = batch(std::move(entries));
                entries.clear();
            }
        } while (wanted && ::FindNextFileW(h, &found));
        ::FindClose(h);
        if (wanted && !entries.empty()) {
            batch(std::move(entries));
        }
        return true;
    }

    bool isDirectory(const std::filesystem::path& path) override {
        win::NoCriticalErrorBoxes quiet;
        const DWORD a = ::GetFileAttributesW(win::extendedLength(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::vector<Volume> volumes() override {
        win::NoCriticalErrorBoxes quiet;
        std::vector<Volume> out;
        wchar_t roots[512] = {};
        const DWORD n = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
        if (n == 0 || n >= std::size(roots)) {
            return out;
        }
        for (const wchar_t* r = roots; *r; r += std::wcslen(r) + 1) {
            Volume v;
            v.root = r; // "C:\"
            wchar_t label[MAX_PATH + 1] = {};
            if (::GetVolumeInformationW(r, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
                v.label = QString::fromWCharArray(label).toStdString();
            }
            out.push_back(std::move(v));
        }
        return out;
    }

    std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override {
        win::NoCriticalErrorBoxes quiet;
        WIN32_FILE_ATTRIBUTE_DATA d{};
        if (!::GetFileAttributesExW(win::extendedLength(path).c_str(), GetFileExInfoStandard, &d) ||
            (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return std::nullopt;
        }
        return (std::uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
    }

    FileTimes fileTimes(const std::filesystem::path& path) override {
        // From the directory entry: no open, so read-only and locked files show their real dates.
        win::NoCriticalErrorBoxes quiet;
        FileTimes times;
        WIN32_FILE_ATTRIBUTE_DATA d{};
        if (::GetFileAttributesExW(win::extendedLength(path).c_str(), GetFileExInfoStandard, &d)) {
            times.creation = toStamp(d.ftCreationTime);
            times.lastWrite = toStamp(d.ftLastWriteTime);
        }
        return times;
    }
};

} // namespace

FileSystem& systemFileSystem() {
    static WindowsFileSystem fs;
    return fs;
}

std::string displayText(const std::filesystem::path& path) {
    return QString::fromStdWString(path.native()).toStdString();
}

} // namespace dsc::platform
