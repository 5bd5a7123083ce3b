// Opening a drawing with its associated program through the shell.
#include "platform/launcher.h"

#include <QString>

#include <windows.h>

#include <shellapi.h>

namespace dsc::platform {

namespace {

std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message =
        n ? QString::fromWCharArray(text, static_cast<qsizetype>(n)).trimmed() : QStringLiteral("error %1").arg(error);
    if (text) {
        ::LocalFree(text);
    }
    return message.toStdString();
}

class ShellLauncher : public Launcher {
public:
    LaunchOutcome open(std::uint64_t ownerWindow, const std::filesystem::path& fileName,
                       const std::filesystem::path& folder) override {
        LaunchOutcome out;
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI; // our own message says what went wrong
        info.hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(ownerWindow));
        info.lpVerb = L"open";
        const std::filesystem::path full = folder / fileName;
        info.lpFile = full.c_str();
        info.lpDirectory = folder.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (::ShellExecuteExW(&info)) {
            out.result = LaunchOutcome::Result::Started;
            return out;
        }
        const DWORD error = ::GetLastError();
        const auto code = reinterpret_cast<std::intptr_t>(info.hInstApp);
        if (error == ERROR_NO_ASSOCIATION || code == SE_ERR_NOASSOC) {
            out.result = LaunchOutcome::Result::NoAssociation;
            return out;
        }
        out.result = LaunchOutcome::Result::Failed;
        out.reason = systemMessage(error);
        return out;
    }
};

} // namespace

Launcher& systemLauncher() {
    static ShellLauncher launcher;
    return launcher;
}

} // namespace dsc::platform
