// The recycle bin through the shell's IFileOperation: a file goes to the bin or stays where it was.
// The shell's own policy would destroy a file it cannot recycle (no bin on that volume, the bin
// turned off or too small for it), so every deletion it announces is refused unless it recycles.
#include "platform/trash.h"
#include "winpaths.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>

namespace dsc::platform {

namespace {

// Watches the one deletion: refuses it unless it recycles, and keeps what the shell reported.
class RecycleOnly : public IFileOperationProgressSink {
public:
    bool refused = false;
    HRESULT outcome = S_OK;

    IFACEMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IFileOperationProgressSink) {
            *out = static_cast<IFileOperationProgressSink*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // On the caller's stack: the count only keeps the shell's balance.
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    IFACEMETHODIMP_(ULONG) Release() override { return --m_refs; }

    IFACEMETHODIMP PreDeleteItem(DWORD flags, IShellItem*) override {
        if (win::deletionGoesToBin(flags)) {
            return S_OK;
        }
        refused = true;
        return E_ABORT;
    }
    IFACEMETHODIMP PostDeleteItem(DWORD, IShellItem*, HRESULT result, IShellItem*) override {
        outcome = result;
        return S_OK;
    }

    IFACEMETHODIMP StartOperations() override { return S_OK; }
    IFACEMETHODIMP FinishOperations(HRESULT) override { return S_OK; }
    IFACEMETHODIMP PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    IFACEMETHODIMP PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
    IFACEMETHODIMP PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    IFACEMETHODIMP PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    IFACEMETHODIMP PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    IFACEMETHODIMP PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    IFACEMETHODIMP PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    IFACEMETHODIMP PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
        return S_OK;
    }
    IFACEMETHODIMP UpdateProgress(UINT, UINT) override { return S_OK; }
    IFACEMETHODIMP ResetTimer() override { return S_OK; }
    IFACEMETHODIMP PauseTimer() override { return S_OK; }
    IFACEMETHODIMP ResumeTimer() override { return S_OK; }

private:
    std::atomic<ULONG> m_refs{1};
};

template <typename T> struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) {
            p->Release();
        }
    }
};

const char* const kNoBin = "ce fichier ne peut pas aller dans la corbeille : il n'est pas supprimé";

class RecycleBin : public Trash {
public:
    bool moveToTrash(const std::filesystem::path& path, std::string& reason) override {
        win::NoCriticalErrorBoxes quiet;
        if (::GetFileAttributesW(win::extendedLength(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
            reason = win::systemMessage(::GetLastError());
            return false;
        }
        // The shell takes no \\?\ names: a path past MAX_PATH goes by its short form.
        const std::filesystem::path shellName = win::shellPath(path);
        if (shellName.empty()) {
            reason = "chemin trop long pour la corbeille : le fichier n'est pas supprimé";
            return false;
        }
        const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        const bool ok = recycle(shellName, reason);
        if (SUCCEEDED(init)) {
            ::CoUninitialize();
        }
        return ok;
    }

private:
    static bool recycle(const std::filesystem::path& path, std::string& reason) {
        Released<IFileOperation> op;
        HRESULT hr = ::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&op.p));
        if (FAILED(hr)) {
            return recycleWithoutFileOperation(path, reason);
        }
        // Nothing asked, nothing shown: our own question came before, our own message comes after.
        hr = op.p->SetOperationFlags(FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE | FOF_NOCONFIRMATION | FOF_NOERRORUI |
                                     FOF_SILENT | FOFX_EARLYFAILURE);
        Released<IShellItem> item;
        if (SUCCEEDED(hr)) {
            hr = ::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item.p));
        }
        RecycleOnly sink;
        if (SUCCEEDED(hr)) {
            hr = op.p->DeleteItem(item.p, &sink);
        }
        if (SUCCEEDED(hr)) {
            hr = op.p->PerformOperations();
        }
        if (hr == E_NOTIMPL && !sink.refused) {
            return recycleWithoutFileOperation(path, reason);
        }
        BOOL aborted = FALSE;
        op.p->GetAnyOperationsAborted(&aborted);
        if (sink.refused) {
            reason = kNoBin;
            return false;
        }
        if (FAILED(hr) || FAILED(sink.outcome) || aborted) {
            const HRESULT why = FAILED(sink.outcome) ? sink.outcome : hr;
            reason = FAILED(why) ? win::systemMessage(static_cast<DWORD>(why)) : "opération annulée";
            return false;
        }
        return true;
    }

    // Systems without IFileOperation (Wine among them): only onto a volume that has a bin, and the
    // shell asks before destroying what it could not recycle after all.
    static bool recycleWithoutFileOperation(const std::filesystem::path& path, std::string& reason) {
        SHQUERYRBINFO bin{};
        bin.cbSize = sizeof bin;
        if (FAILED(::SHQueryRecycleBinW(path.c_str(), &bin))) {
            reason = kNoBin;
            return false;
        }
        // A file held by another program cannot be recycled, and that shell would offer to destroy
        // it instead: it is told apart first.
        HANDLE h = ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            reason = win::systemMessage(::GetLastError());
            return false;
        }
        ::CloseHandle(h);
        std::wstring from = path.native();
        from.push_back(L'\0'); // a list of one name, ended by two NULs
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_SILENT;
        const int result = ::SHFileOperationW(&op);
        if (result != 0 || op.fAnyOperationsAborted) {
            reason = result ? win::systemMessage(static_cast<DWORD>(result)) : kNoBin;
            return false;
        }
        return true;
    }
};

} // namespace

Trash& systemTrash() {
    static RecycleBin trash;
    return trash;
}

} // namespace dsc::platform
