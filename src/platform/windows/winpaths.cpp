#include "winpaths.h"

#include <shobjidl.h>

#include <string>

namespace dsc::platform::win {

std::filesystem::path extendedLength(const std::filesystem::path& path) {
    const std::wstring& p = path.native();
    const bool unc = p.size() > 2 && (p[0] == L'\\' || p[0] == L'/') && (p[1] == L'\\' || p[1] == L'/');
    const bool drive = p.size() > 2 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
    if (p.rfind(LR"(\\?\)", 0) == 0 || p.rfind(LR"(\\.\)", 0) == 0 || !(unc || drive)) {
        return path;
    }
    // The prefix turns off the system's clean-up of the name: "." and ".." and "/" resolved here.
    const DWORD need = ::GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (need == 0) {
        return path;
    }
    std::wstring full(need, L'\0');
    const DWORD got = ::GetFullPathNameW(p.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) {
        return path;
    }
    full.resize(got);
    if (full.rfind(LR"(\\)", 0) == 0) {
        return LR"(\\?\UNC\)" + full.substr(2);
    }
    return LR"(\\?\)" + full;
}

std::filesystem::path shellPath(const std::filesystem::path& path) {
    if (path.native().size() < MAX_PATH) {
        return path;
    }
    const std::wstring longForm = extendedLength(path).native();
    const DWORD need = ::GetShortPathNameW(longForm.c_str(), nullptr, 0);
    if (need == 0) {
        return {};
    }
    std::wstring shortForm(need, L'\0');
    const DWORD got = ::GetShortPathNameW(longForm.c_str(), shortForm.data(), need);
    if (got == 0 || got >= need) {
        return {};
    }
    shortForm.resize(got);
    if (shortForm.rfind(LR"(\\?\UNC\)", 0) == 0) {
        shortForm = LR"(\\)" + shortForm.substr(8);
    } else if (shortForm.rfind(LR"(\\?\)", 0) == 0) {
        shortForm.erase(0, 4);
    }
    return shortForm.size() < MAX_PATH ? std::filesystem::path(shortForm) : std::filesystem::path();
}

std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide = n ? std::wstring(text, n) : L"error " + std::to_wstring(error);
    if (text) {
        ::LocalFree(text);
    }
    while (!wide.empty() &&
           (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.')) {
        wide.pop_back();
    }
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

bool deletionGoesToBin(DWORD transferFlags) {
    return (transferFlags & TSF_DELETE_RECYCLE_IF_POSSIBLE) != 0;
}

} // namespace dsc::platform::win
