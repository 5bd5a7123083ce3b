// dessiscope-thumbs.dll: the shell's thumbnail handler for slides, slide libraries and drawings.
// Explorer (or its thumbnail cache process) hands it a stream, never a path; the readers take only
// the bytes a preview needs from it, and the picture is drawn by the readers' own rasterizer, so
// no toolkit is loaded into Explorer. Damaged or hostile files give E_FAIL, never a crash.
#include "formats/thumbnail.h"
#include "thumbregistry.h"

#include <windows.h>

#include <objbase.h>
#include <propsys.h>
#include <shlobj.h>
#include <thumbcache.h>

#include <atomic>
#include <cstring>
#include <new>

namespace {

std::atomic<long> g_objects{0}; // providers and factories alive
std::atomic<long> g_locks{0};   // IClassFactory::LockServer
HINSTANCE g_module = nullptr;

const IID kIThumbnailProvider = {0xe357fccd, 0xa995, 0x4576, {0xb0, 0x1f, 0x23, 0x46, 0x30, 0x15, 0x4e, 0x96}};
const IID kIInitializeWithStream = {0xb824b49d, 0x22ac, 0x4161, {0xac, 0x8a, 0x99, 0x16, 0xe8, 0xfa, 0x3f, 0x7f}};

// The stream as the readers' byte source: positioned reads, bounded by the size the stream gives.
class StreamSource : public dsc::ByteSource {
public:
    explicit StreamSource(IStream* stream) : m_stream(stream) {
        STATSTG st{};
        if (SUCCEEDED(m_stream->Stat(&st, STATFLAG_NONAME))) {
            m_size = st.cbSize.QuadPart;
        }
    }
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset > m_size || out.size() > m_size - offset) {
            return false;
        }
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (FAILED(m_stream->Seek(at, STREAM_SEEK_SET, nullptr))) {
            return false;
        }
        std::size_t done = 0;
        while (done < out.size()) {
            const ULONG want = static_cast<ULONG>(std::min<std::size_t>(out.size() - done, 1u << 30));
            ULONG got = 0;
            const HRESULT hr = m_stream->Read(out.data() + done, want, &got);
            if (FAILED(hr) || got == 0) {
                return false;
            }
            done += got;
        }
        return true;
    }

private:
    IStream* m_stream;
    std::uint64_t m_size = 0;
};

// What every COM class of the DLL shares: its reference count, the module's count of live objects
// (for DllCanUnloadNow), and making one to hand out an interface. `Self` answers QueryInterface.
template <typename Self, typename... Interfaces> class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --m_refs;
        if (left == 0) {
            delete static_cast<Self*>(this);
        }
        return static_cast<ULONG>(left);
    }
    static HRESULT create(REFIID riid, void** out) {
        auto* object = new (std::nothrow) Self;
        if (!object) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        return hr;
    }

protected:
    ComObject() { ++g_objects; }
    ~ComObject() { --g_objects; }

private:
    std::atomic<long> m_refs{1};
};

class ThumbnailProvider final : public ComObject<ThumbnailProvider, IThumbnailProvider, IInitializeWithStream> {
public:
    ~ThumbnailProvider() {
        if (m_stream) {
            m_stream->Release();
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIThumbnailProvider)) {
            *out = static_cast<IThumbnailProvider*>(this);
        } else if (IsEqualIID(riid, kIInitializeWithStream)) {
            *out = static_cast<IInitializeWithStream*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // IInitializeWithStream: once only, as the shell does.
    HRESULT STDMETHODCALLTYPE Initialize(IStream* stream, DWORD) override {
        if (!stream) {
            return E_INVALIDARG;
        }
        if (m_stream) {
            return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        }
        stream->AddRef();
        m_stream = stream;
        return S_OK;
    }

    // IThumbnailProvider: a 32-bit top-down bitmap that fits cx × cx, the aspect kept.
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT cx, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) override {
        if (!bitmap || !alpha) {
            return E_POINTER;
        }
        *bitmap = nullptr;
        *alpha = WTSAT_UNKNOWN;
        if (!m_stream) {
            return E_UNEXPECTED;
        }
        if (cx < 1 || cx > 4096) {
            return E_INVALIDARG;
        }
        try {
            StreamSource source(m_stream);
            std::uint8_t head[32] = {};
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, source.size()));
            if (n == 0 || !source.readAt(0, std::span(head, n))) {
                return E_FAIL;
            }
            const dsc::FileContent kind = dsc::contentOf(std::span<const std::uint8_t>(head, n));
            if (kind == dsc::FileContent::Unknown) {
                return E_FAIL;
            }
            dsc::Thumbnail t = dsc::makeThumbnail(source, kind, static_cast<int>(cx));
            if (!t.ok()) {
                return E_FAIL;
            }
            return toBitmap(t.image, bitmap, alpha);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    static HRESULT toBitmap(const dsc::Raster& image, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = image.width;
        info.bmiHeader.biHeight = -image.height; // top-down, as the raster
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!made || !bits) {
            return E_OUTOFMEMORY;
        }
        // 0xAARRGGBB words are the bitmap's B, G, R, A bytes.
        std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof image.pixels[0]);
        bool opaque = true;
        for (const std::uint32_t p : image.pixels) {
            if ((p >> 24) != 0xFF) {
                opaque = false;
                break;
            }
        }
        *bitmap = made;
        *alpha = opaque ? WTSAT_RGB : WTSAT_ARGB;
        return S_OK;
    }

    IStream* m_stream = nullptr;
};

class Factory final : public ComObject<Factory, IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        return ThumbnailProvider::create(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }
};

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!IsEqualCLSID(clsid, dsc::thumbs::kClsid)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return Factory::create(riid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

// For regsvr32: the handler for slides and slide libraries, for the current user, or for every
// user when run elevated. Drawings are left to the installer's choice.
HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(g_module, path, static_cast<DWORD>(std::size(path)));
    if (n == 0 || n >= std::size(path)) {
        return E_FAIL;
    }
    const HRESULT hr = dsc::thumbs::registerHandler(dsc::thumbs::classesRoot(), path, {L".sld", L".slb"});
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return hr;
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const HRESULT hr = dsc::thumbs::unregisterHandler(dsc::thumbs::classesRoot(), {L".sld", L".slb", L".dwg"});
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return hr;
}

} // extern "C"
