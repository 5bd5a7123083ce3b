#pragma once
// What the recycle bin holds, as the shell lists it: the display names of its items.

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace dsc::test {

inline std::vector<std::wstring> recycleBinNames() {
    std::vector<std::wstring> names;
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PIDLIST_ABSOLUTE binId = nullptr;
    IShellFolder* desktop = nullptr;
    IShellFolder* bin = nullptr;
    IEnumIDList* items = nullptr;
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId)) &&
        SUCCEEDED(::SHGetDesktopFolder(&desktop)) &&
        SUCCEEDED(desktop->BindToObject(binId, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bin))) &&
        bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
        PITEMID_CHILD child = nullptr;
        while (items->Next(1, &child, nullptr) == S_OK) {
            STRRET name{};
            wchar_t text[MAX_PATH] = {};
            if (SUCCEEDED(bin->GetDisplayNameOf(child, SHGDN_NORMAL, &name)) &&
                SUCCEEDED(::StrRetToBufW(&name, child, text, MAX_PATH))) {
                names.emplace_back(text);
            }
            ::CoTaskMemFree(child);
        }
    }
    if (items) {
        items->Release();
    }
    if (bin) {
        bin->Release();
    }
    if (desktop) {
        desktop->Release();
    }
    ::CoTaskMemFree(binId);
    if (SUCCEEDED(init)) {
        ::CoUninitialize();
    }
    return names;
}

inline bool inRecycleBin(const std::wstring& fileName) {
    for (const std::wstring& n : recycleBinNames()) {
        // Explorer may leave the extension out of the name it shows.
        if (n == fileName || fileName.rfind(n + L".", 0) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace dsc::test
