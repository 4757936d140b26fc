#include "framework/ole_control.h"

#include <olectl.h>

#include "framework/type_library.h"
#include "hosting/com_edge.h"
#include "hosting/fault_shield.h"
#include "platform/module_path.h"

namespace omni::fw {

OleControl::OleControl(const ControlDescription& description)
    : description_(description), events_(this, *description.eventsIid) {}

OleControl::~OleControl() = default;

void OleControl::FireEvent(DISPID dispid, VARIANT* args, UINT count) {
    if (frozen_ > 0) return;  // the container is not ready for events (it said so)
    events_.Fire(dispid, args, count);
}

// --- IUnknown

STDMETHODIMP OleControl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComEdge([&]() -> HRESULT {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
            *out = static_cast<IOleObject*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
            *out = static_cast<IOleInPlaceObject*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        else if (IsEqualIID(iid, IID_IOleControl))
            *out = static_cast<IOleControl*>(this);
        else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
            *out = static_cast<IViewObject2*>(this);
        else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
            *out = static_cast<IPersistStreamInit*>(this);
        else if (IsEqualIID(iid, IID_IPersistPropertyBag))
            *out = static_cast<IPersistPropertyBag*>(this);
        else if (IsEqualIID(iid, IID_IPersistStorage))
            *out = static_cast<IPersistStorage*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
            *out = static_cast<IProvideClassInfo2*>(this);
        else if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
            *out = static_cast<ISpecifyPropertyPages*>(this);
        else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, *description_.dispatchIid))
            *out = static_cast<IDispatch*>(this);
        else if (void* extra = QueryControlInterface(iid))
            *out = extra;
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) OleControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) OleControl::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// --- IOleObject

STDMETHODIMP OleControl::SetClientSite(IOleClientSite* site) {
    clientSite_ = Shared(site);
    return S_OK;
}

STDMETHODIMP OleControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = clientSite_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP OleControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP OleControl::Close(DWORD) {
    return ComEdge([&]() -> HRESULT {
        InPlaceDeactivate();
        // Sinks hold the page's objects; a closed control must not keep them alive.
        events_.UnadviseAll();
        if (adviseHolder_) adviseHolder_->SendOnClose();
        return S_OK;
    });
}

STDMETHODIMP OleControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP OleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP OleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
    return ComEdge([&]() -> HRESULT {
        switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_SHOW:
            case OLEIVERB_UIACTIVATE:
                return ActivateInPlace(true, true);
            case OLEIVERB_INPLACEACTIVATE:
                return ActivateInPlace(false, true);
            case OLEIVERB_HIDE:
                if (window_) ShowWindow(window_.get(), SW_HIDE);
                return S_OK;
            default:
                return OLEOBJ_S_INVALIDVERB;
        }
    });
}

HRESULT OleControl::ActivateInPlace(bool uiActivate, bool show) {
    if (!clientSite_) return E_UNEXPECTED;
    if (!inPlaceSite_) {
        com_ptr<IOleInPlaceSite> site;
        if (FAILED(clientSite_->QueryInterface(IID_IOleInPlaceSite, site.put_void())) || !site) return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
        site->OnInPlaceActivate();
        HWND parent = nullptr;
        com_ptr<IOleInPlaceFrame> frame;
        com_ptr<IOleInPlaceUIWindow> document;
        RECT position = {}, clip = {};
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof(frameInfo);
        HRESULT hr = site->GetWindow(&parent);
        if (SUCCEEDED(hr))
            hr = site->GetWindowContext(frame.addressof(), document.addressof(), &position, &clip, &frameInfo);
        if (SUCCEEDED(hr)) hr = CreateControlWindow(parent, position);
        if (FAILED(hr)) {
            site->OnInPlaceDeactivate();
            return hr;
        }
        inPlaceSite_ = std::move(site);
    }
    if (show) {
        ShowWindow(window_.get(), SW_SHOWNA);
        clientSite_->ShowObject();
    }
    if (uiActivate && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
    }
    return S_OK;
}

STDMETHODIMP OleControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs) return E_POINTER;
    *verbs = nullptr;
    return OleRegEnumVerbs(*description_.clsid, verbs);
}

STDMETHODIMP OleControl::Update() { return S_OK; }
STDMETHODIMP OleControl::IsUpToDate() { return S_OK; }

STDMETHODIMP OleControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *description_.clsid;
    return S_OK;
}

STDMETHODIMP OleControl::GetUserType(DWORD form, LPOLESTR* type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    return OleRegGetUserType(*description_.clsid, form, type);
}

STDMETHODIMP OleControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    extent_ = *size;
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    *size = SIZEL{0, 0};
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP OleControl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    return ComEdge([&]() -> HRESULT {
        if (!adviseHolder_) {
            HRESULT hr = CreateOleAdviseHolder(adviseHolder_.addressof());
            if (FAILED(hr)) return hr;
        }
        return adviseHolder_->Advise(sink, cookie);
    });
}

STDMETHODIMP OleControl::Unadvise(DWORD cookie) {
    if (!adviseHolder_) return OLE_E_NOCONNECTION;
    return adviseHolder_->Unadvise(cookie);
}

STDMETHODIMP OleControl::EnumAdvise(IEnumSTATDATA** advises) {
    if (!advises) return E_POINTER;
    *advises = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

STDMETHODIMP OleControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = description_.miscStatus;
    return S_OK;
}

STDMETHODIMP OleControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject

STDMETHODIMP OleControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_.get();
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP OleControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP OleControl::InPlaceDeactivate() {
    return ComEdge([&]() -> HRESULT {
        UIDeactivate();
        window_.reset();
        com_ptr<IOleInPlaceSite> site(std::move(inPlaceSite_));
        if (site) site->OnInPlaceDeactivate();
        return S_OK;
    });
}

STDMETHODIMP OleControl::UIDeactivate() {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP OleControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    if (window_)
        MoveWindow(window_.get(), position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    return S_OK;
}

STDMETHODIMP OleControl::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }
STDMETHODIMP OleControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP OleControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP OleControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP OleControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP OleControl::EnableModeless(BOOL) { return S_OK; }

// --- IOleControl

STDMETHODIMP OleControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP OleControl::OnMnemonic(MSG*) { return S_OK; }
STDMETHODIMP OleControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP OleControl::FreezeEvents(BOOL freeze) {
    if (freeze)
        ++frozen_;
    else if (frozen_ > 0)
        --frozen_;
    return S_OK;
}

// --- IViewObject2

STDMETHODIMP OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                              BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    return OwnCodeHr([&]() -> HRESULT {
        RECT r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        OnDraw(dc, r);
        return S_OK;
    });
}

STDMETHODIMP OleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP OleControl::Freeze(DWORD, LONG, void*, DWORD* cookie) {
    if (cookie) *cookie = 0;
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP OleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink_ = Shared(sink);
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

STDMETHODIMP OleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) {
        *sink = viewSink_.get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

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

// --- IConnectionPointContainer

STDMETHODIMP OleControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (!points) return E_POINTER;
    *points = nullptr;
    return CreateSinglePointEnumerator(&events_, points);
}

STDMETHODIMP OleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, events_.events())) return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

// --- IProvideClassInfo2

STDMETHODIMP OleControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return ComEdge([&] { return GetModuleTypeInfo(*description_.clsid, info); });
}

STDMETHODIMP OleControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = events_.events();
    return S_OK;
}

// --- ISpecifyPropertyPages

STDMETHODIMP OleControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    if (!description_.propertyPage) return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = *description_.propertyPage;
    pages->cElems = 1;
    return S_OK;
}

// --- IDispatch

STDMETHODIMP OleControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP OleControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return ComEdge([&] { return GetModuleTypeInfo(*description_.dispatchIid, info); });
}

STDMETHODIMP OleControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return ComEdge([&]() -> HRESULT {
        com_ptr<ITypeInfo> info;
        HRESULT hr = GetModuleTypeInfo(*description_.dispatchIid, info.addressof());
        if (FAILED(hr)) return hr;
        return info->GetIDsOfNames(names, count, ids);
    });
}

STDMETHODIMP OleControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* argumentError) {
    if (result) VariantInit(result);
    if (exception) ZeroMemory(exception, sizeof(*exception));
    if (argumentError) *argumentError = 0;
    // A property put may come by reference; a getter may come flagged as a method call too (VBScript),
    // so what is not a put is a get or a call, as the member is.
    WORD kind = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) ? DISPATCH_PROPERTYPUT
                : (flags & DISPATCH_METHOD)                                ? DISPATCH_METHOD
                                                                           : DISPATCH_PROPERTYGET;
    DispatchArgs args(params);
    // A member may show a dialog or fire an event, and the page may let go of the control meanwhile:
    // the control lives until the member has returned, for every member alike.
    com_ptr<IUnknown> alive = Shared<IUnknown>(static_cast<IOleObject*>(this));
    // The control's members run product code: no C++ exception may reach the script engine, and a
    // structured one ends the process rather than leave a half-unwound call behind.
    HRESULT hr = OwnCodeHr([&] { return InvokeMember(id, kind, args, result); });
    if (FAILED(hr) && result) VariantClear(result);
    return hr;
}

// --- The window

HRESULT OleControl::CreateControlWindow(HWND parent, const RECT& position) {
    if (window_) {
        SetParent(window_.get(), parent);
        SetObjectRects(&position, &position);
        return S_OK;
    }
    HINSTANCE instance = CurrentModule();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = description_.windowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return HRESULT_FROM_WIN32(GetLastError());
    HWND created = CreateWindowExW(0, description_.windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   position.left, position.top, position.right - position.left,
                                   position.bottom - position.top, parent, nullptr, instance, this);
    if (!created) return E_FAIL;
    window_.reset(created);
    return S_OK;
}

LRESULT CALLBACK OleControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<OleControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->live_ = window;  // the creation handler already needs its window
    }
    auto* control = reinterpret_cast<OleControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        control->live_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    struct Call {
        OleControl* control;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;
    } call{control, message, wParam, lParam, 0};
    // Nothing thrown while handling a message may unwind through the system's dispatcher; a fault
    // ends the process here, since the system's dispatcher may otherwise swallow it.
    EndProcessOnFault(
        [](void* raw) {
            auto* c = static_cast<Call*>(raw);
            try {
                c->answer = c->control->HandleMessage(c->message, c->wParam, c->lParam);
            } catch (...) {
                c->answer = c->message == WM_CREATE ? -1 : 0;
            }
        },
        &call);
    return call.answer;
}

LRESULT OleControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(live_, &paint);
            RECT client;
            GetClientRect(live_, &client);
            OnDraw(dc, client);
            EndPaint(live_, &paint);
            return 0;
        }
        case WM_TIMER: {
            // A timer's work may fire events, and the page may let go of the control from one.
            com_ptr<IUnknown> alive = Shared<IUnknown>(static_cast<IOleObject*>(this));
            OnTimer(wParam);
            return 0;
        }
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            return DefWindowProcW(live_, message, wParam, lParam);
    }
}

}  // namespace omni::fw
