// The properties in a property bag (PARAMs), a stream or a storage, all through one exchange.
#include "framework/ole_control.h"

#include "hosting/com_edge.h"
#include "hosting/fault_shield.h"

namespace omni::fw {

// --- Persistence

HRESULT OleControl::Exchange(PropertyExchange& exchange) {
    return OwnCodeHr([&]() -> HRESULT {
        long version = kExchangeVersion;
        long width = extent_.cx, height = extent_.cy;
        HRESULT hr = exchange.Long(L"_Version", version, kExchangeVersion);
        if (SUCCEEDED(hr)) hr = exchange.Long(L"_ExtentX", width, extent_.cx);
        if (SUCCEEDED(hr)) hr = exchange.Long(L"_ExtentY", height, extent_.cy);
        if (FAILED(hr)) return hr;
        hr = ExchangeProperties(exchange);
        if (FAILED(hr)) return hr;
        if (exchange.IsLoading()) {
            if (width > 0 && height > 0) extent_ = SIZEL{width, height};
            dirty_ = false;
        }
        return S_OK;
    });
}

STDMETHODIMP OleControl::GetClassID(CLSID* clsid) { return GetUserClassID(clsid); }

STDMETHODIMP OleControl::InitNew() { return S_OK; }

STDMETHODIMP OleControl::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag) return E_POINTER;
    BagExchange exchange(bag, true);
    return Exchange(exchange);
}

STDMETHODIMP OleControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    BagExchange exchange(bag, false);
    HRESULT hr = Exchange(exchange);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP OleControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP OleControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    StreamExchange exchange(stream, true);
    return Exchange(exchange);
}

STDMETHODIMP OleControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    StreamExchange exchange(stream, false);
    HRESULT hr = Exchange(exchange);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP OleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return ComEdge([&]() -> HRESULT {
        // The exact size is what a save writes.
        com_ptr<IStream> scratch;
        HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, scratch.addressof());
        if (FAILED(hr)) return hr;
        StreamExchange exchange(scratch.get(), false);
        hr = Exchange(exchange);
        if (FAILED(hr)) return hr;
        STATSTG stat = {};
        hr = scratch->Stat(&stat, STATFLAG_NONAME);
        if (SUCCEEDED(hr)) size->QuadPart = stat.cbSize.QuadPart;
        return hr;
    });
}

namespace {
const wchar_t kContentsStream[] = L"Contents";
}  // namespace

STDMETHODIMP OleControl::InitNew(IStorage*) { return S_OK; }

STDMETHODIMP OleControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    com_ptr<IStream> stream;
    HRESULT hr =
        storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.addressof());
    return FAILED(hr) ? hr : Load(stream.get());
}

STDMETHODIMP OleControl::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    com_ptr<IStream> stream;
    HRESULT hr = storage->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                       stream.addressof());
    return FAILED(hr) ? hr : Save(stream.get(), TRUE);
}

STDMETHODIMP OleControl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP OleControl::HandsOffStorage() { return S_OK; }

}  // namespace omni::fw
