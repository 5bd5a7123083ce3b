// A stand-in for the CAD program associated with drawings in the test prefix: writes where it was
// started and what it was asked to open, next to itself, then ends.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring marker(self);
    marker = marker.substr(0, marker.find_last_of(L'\\') + 1) + L"fakecad-marker.txt";
    wchar_t cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    FILE* out = _wfopen(marker.c_str(), L"w, ccs=UTF-8");
    if (!out) {
        return 1;
    }
    std::fwprintf(out, L"%ls\n%ls\n", cwd, argc > 1 ? argv[1] : L"");
    std::fclose(out);
    return 0;
}
