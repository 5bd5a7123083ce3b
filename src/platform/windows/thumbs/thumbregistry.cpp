#include "thumbregistry.h"

#include <shlobj.h>

namespace dsc::thumbs {

namespace {

std::wstring under(const ClassesRoot& root, const std::wstring& rest) {
    return std::wstring(root.path) + L"\\" + rest;
}

LSTATUS setText(HKEY hive, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k = nullptr;
    LSTATUS s = RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
    if (s != ERROR_SUCCESS) {
        return s;
    }
    s = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return s;
}

std::wstring readText(HKEY hive, const std::wstring& key) {
    wchar_t buffer[128] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(hive, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
        return {};
    }
    return buffer;
}

} // namespace

ClassesRoot classesRoot() {
    return ClassesRoot{IsUserAnAdmin() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER};
}

HRESULT registerHandler(const ClassesRoot& root, const std::wstring& dllPath,
                        std::initializer_list<const wchar_t*> extensions) {
    const std::wstring cls = under(root, std::wstring(L"CLSID\\") + kClsidText);
    LSTATUS s = setText(root.hive, cls, nullptr, L"Dessiscope thumbnails");
    if (s == ERROR_SUCCESS) {
        s = setText(root.hive, cls + L"\\InprocServer32", nullptr, dllPath);
    }
    if (s == ERROR_SUCCESS) {
        s = setText(root.hive, cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    }
    for (const wchar_t* ext : extensions) {
        // Another program's handler stays: replacing it would lose it for good on unregistering.
        const std::wstring current = handlerOf(root, ext);
        if (!current.empty() && _wcsicmp(current.c_str(), kClsidText) != 0) {
            continue;
        }
        if (s == ERROR_SUCCESS) {
            s = setText(root.hive, under(root, std::wstring(ext) + L"\\" + kThumbnailShellEx), nullptr, kClsidText);
        }
    }
    return HRESULT_FROM_WIN32(s);
}

HRESULT unregisterHandler(const ClassesRoot& root, std::initializer_list<const wchar_t*> extensions) {
    for (const wchar_t* ext : extensions) {
        if (_wcsicmp(handlerOf(root, ext).c_str(), kClsidText) == 0) {
            RegDeleteTreeW(root.hive, under(root, std::wstring(ext) + L"\\" + kThumbnailShellEx).c_str());
        }
    }
    const LSTATUS s = RegDeleteTreeW(root.hive, under(root, std::wstring(L"CLSID\\") + kClsidText).c_str());
    return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(s);
}

std::wstring handlerOf(const ClassesRoot& root, const wchar_t* extension) {
    return readText(root.hive, under(root, std::wstring(extension) + L"\\" + kThumbnailShellEx));
}

} // namespace dsc::thumbs
