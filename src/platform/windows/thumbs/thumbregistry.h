#pragma once
// Where the thumbnail handler is registered: its class under Classes\CLSID, and for each file
// extension its ShellEx entry for IThumbnailProvider naming that class.

#include <windows.h>

#include <initializer_list>
#include <string>

namespace dsc::thumbs {

// {6F2B7C3E-8A4D-4E1B-9C5F-2D7A1E3B4C60}
inline constexpr CLSID kClsid = {0x6f2b7c3e, 0x8a4d, 0x4e1b, {0x9c, 0x5f, 0x2d, 0x7a, 0x1e, 0x3b, 0x4c, 0x60}};
inline constexpr const wchar_t* kClsidText = L"{6F2B7C3E-8A4D-4E1B-9C5F-2D7A1E3B4C60}";
// IThumbnailProvider's interface identifier, the ShellEx key the shell looks for.
inline constexpr const wchar_t* kThumbnailShellEx = L"ShellEx\\{e357fccd-a995-4576-b01f-234630154e96}";

// A key under which Classes lie: HKEY_CURRENT_USER\Software\Classes for one user,
// HKEY_LOCAL_MACHINE\Software\Classes for every user.
struct ClassesRoot {
    HKEY hive;
    const wchar_t* path = L"Software\\Classes";
};
// Every user's when the process runs elevated, the current user's otherwise.
ClassesRoot classesRoot();

// Extensions whose entry names another class keep it.
HRESULT registerHandler(const ClassesRoot& root, const std::wstring& dllPath,
                        std::initializer_list<const wchar_t*> extensions);
// Removes the class, and the extensions' entries that name it (another handler's are left alone).
HRESULT unregisterHandler(const ClassesRoot& root, std::initializer_list<const wchar_t*> extensions);
// The class an extension's thumbnail entry names, empty when there is none.
std::wstring handlerOf(const ClassesRoot& root, const wchar_t* extension);

} // namespace dsc::thumbs
