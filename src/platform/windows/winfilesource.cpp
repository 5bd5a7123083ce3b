// File reading on Windows: CreateFileW sharing everything (no lock of ours), ReadFile at offsets.
#include "platform/filesource.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

namespace dsc::platform {

FileSource::~FileSource() {
    close();
}

bool FileSource::open(const std::filesystem::path& path) {
    close();
    // Shared for reading, writing and deleting: the CAD program that has the drawing open is not
    // disturbed, and nothing here can block on a pipe or a device.
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
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

void FileSource::close() {
    if (m_handle != kNoHandle) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
        m_handle = kNoHandle;
    }
    m_size = 0;
}

bool FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (m_handle == kNoHandle || offset > m_size || out.size() > m_size - offset) {
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(reinterpret_cast<HANDLE>(m_handle), out.data() + done, want, &got, &where) || got == 0) {
            return false; // an error, or the file shrank since it was opened
        }
        done += got;
    }
    return true;
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
