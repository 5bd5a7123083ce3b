// File reading on Windows: CreateFileW sharing everything (no lock of ours), ReadFile at offsets.
#include "platform/filesource.h"
#include "winpaths.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

namespace dsc::platform {

bool FileSource::open(const std::filesystem::path& path) {
    close();
    win::NoCriticalErrorBoxes quiet;
    // Shared for reading, writing and deleting: the CAD program that has the drawing open is not
    // disturbed, and nothing here can block on a pipe or a device.
    HANDLE h = ::CreateFileW(win::extendedLength(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::CloseHandle(h);
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(h);
    m_size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    return true;
}

void FileSource::release(std::intptr_t handle) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

std::size_t FileSource::readSome(std::intptr_t handle, std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    return ::ReadFile(reinterpret_cast<HANDLE>(handle), out, want, &got, &where) ? got : 0;
}

std::vector<std::filesystem::path> commandLineArguments(int, char**) {
    std::vector<std::filesystem::path> out;
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        out.emplace_back(args[i]);
    }
    ::LocalFree(args);
    return out;
}

} // namespace dsc::platform
