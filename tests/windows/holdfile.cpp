// Holds a file as another program may hold one of ours: opened with no sharing (or, with --load,
// loaded as a DLL is by the shell), for a bounded time, then ends. Writes READY once it holds it.
//   holdfile [--load] FILE READY SECONDS
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    int arg = 1;
    const bool load = argc > arg && std::wcscmp(argv[arg], L"--load") == 0;
    if (load) {
        ++arg;
    }
    if (argc != arg + 3) {
        std::fwprintf(stderr, L"usage: holdfile [--load] FILE READY SECONDS\n");
        return 2;
    }
    const wchar_t* file = argv[arg];
    const wchar_t* ready = argv[arg + 1];
    const long seconds = std::wcstol(argv[arg + 2], nullptr, 10);
    if (load) {
        if (!::LoadLibraryW(file)) {
            std::fwprintf(stderr, L"holdfile: cannot load %ls (%lu)\n", file, ::GetLastError());
            return 1;
        }
    } else if (::CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr) == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"holdfile: cannot open %ls (%lu)\n", file, ::GetLastError());
        return 1;
    }
    FILE* out = _wfopen(ready, L"w");
    if (!out) {
        return 1;
    }
    std::fclose(out);
    ::Sleep(static_cast<DWORD>(seconds > 0 && seconds < 3600 ? seconds : 60) * 1000);
    return 0;
}
