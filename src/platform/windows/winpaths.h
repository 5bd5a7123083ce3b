#pragma once
// Windows-only helpers of the backends, in plain functions the Windows tests call directly.

#include <windows.h>

#include <filesystem>
#include <string>

namespace dsc::platform::win {

// The path in its extended-length form (\\?\C:\... or \\?\UNC\server\share\...), so folders and
// files past MAX_PATH can be read on any Windows; relative or device paths come back unchanged.
std::filesystem::path extendedLength(const std::filesystem::path& path);

// A form of the path the shell accepts (under MAX_PATH): the path itself when short enough, else its
// 8.3 short form; empty when it has none that short.
std::filesystem::path shellPath(const std::filesystem::path& path);

// The system's text for an error code, in UTF-8.
std::string systemMessage(DWORD error);

// While alive, this thread's file calls fail instead of asking to insert a disk.
class NoCriticalErrorBoxes {
public:
    NoCriticalErrorBoxes() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_old); }
    ~NoCriticalErrorBoxes() { ::SetThreadErrorMode(m_old, nullptr); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

private:
    DWORD m_old = 0;
};

// Whether a deletion the shell is about to make may go ahead: only when the item goes to the
// recycle bin (the progress sink's flags carry TSF_DELETE_RECYCLE_IF_POSSIBLE). Anything else would
// destroy the file for good.
bool deletionGoesToBin(DWORD transferFlags);

} // namespace dsc::platform::win
