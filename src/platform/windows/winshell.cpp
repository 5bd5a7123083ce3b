// Opening a drawing with its associated program, and the recycle bin, through the shell.
#include "platform/launcher.h"
#include "platform/trash.h"

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

class RecycleBin : public Trash {
public:
    bool moveToTrash(const std::filesystem::path& path, std::string& reason) override {
        // Files on volumes without a recycle bin (network shares, removable keys) would be deleted
        // for good: they stay, and the user is told why. Only fixed disks have a recycle bin.
        const std::filesystem::path root = path.root_path();
        if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED) {
            reason = "ce volume n'a pas de corbeille : le fichier n'est pas supprimé";
            return false;
        }
        // Double NUL-terminated list of one name.
        std::wstring from = path.native();
        from.push_back(L'\0');
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        const int result = ::SHFileOperationW(&op);
        if (result != 0 || op.fAnyOperationsAborted) {
            reason = result ? systemMessage(static_cast<DWORD>(result)) : "opération annulée";
            return false;
        }
        return true;
    }
};

} // namespace

Launcher& systemLauncher() {
    static ShellLauncher launcher;
    return launcher;
}

Trash& systemTrash() {
    static RecycleBin trash;
    return trash;
}

} // namespace dsc::platform
