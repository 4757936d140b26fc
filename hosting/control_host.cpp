#include "hosting/control_host.h"

#include <ocidl.h>

#include "hosting/control_site.h"
#include "hosting/fault_shield.h"
#include "platform/module_path.h"

namespace omni {

namespace {

// Every call into the control goes through the fault shield: the control is foreign code.
template <typename T>
HRESULT QueryShielded(IUnknown* object, REFIID iid, com_ptr<T>& out) {
    void** slot = out.put_void();
    HRESULT hr = ShieldedHr([&] { return object->QueryInterface(iid, slot); });
    if (FAILED(hr)) (void)out.release();  // a failing call owns nothing it may have written
    return out ? hr : (FAILED(hr) ? hr : E_NOINTERFACE);
}

HRESULT CreateShielded(const CLSID& clsid, com_ptr<IOleObject>& out) {
    void** slot = out.put_void();
    HRESULT hr = ShieldedHr([&] {
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, slot);
    });
    if (FAILED(hr)) (void)out.release();
    return out ? hr : (FAILED(hr) ? hr : E_NOINTERFACE);
}

HRESULT InitNewShielded(IOleObject* object) {
    com_ptr<IPersistStreamInit> persist;
    if (FAILED(QueryShielded(object, IID_IPersistStreamInit, persist))) return S_OK;  // optional interface
    IPersistStreamInit* p = persist.get();
    HRESULT hr = ShieldedHr([p] { return p->InitNew(); });
    ReleaseShielded(persist);
    return hr;
}

// The browser's way with PARAMs: IPersistPropertyBag when the control has it, otherwise InitNew.
HRESULT LoadParamsShielded(IOleObject* object, const ParamList& params) {
    com_ptr<IPersistPropertyBag> persist;
    if (FAILED(QueryShielded(object, IID_IPersistPropertyBag, persist))) return InitNewShielded(object);
    com_ptr<IPropertyBag> bag(new (std::nothrow) ParamBag(params));
    if (!bag) {
        ReleaseShielded(persist);
        return E_OUTOFMEMORY;
    }
    IPersistPropertyBag* p = persist.get();
    IPropertyBag* b = bag.get();
    HRESULT hr = ShieldedHr([p, b] { return p->Load(b, nullptr); });
    ReleaseShielded(persist);
    return hr;
}

}  // namespace

ControlHost::ControlHost() = default;

ControlHost::~ControlHost() { Destroy(); }

HRESULT ControlHost::Create(HWND parent, const CLSID& clsid, const RECT& rect, bool visible) {
    ControlCreation how;
    how.visible = visible;
    return Create(parent, clsid, rect, how);
}

HRESULT ControlHost::Create(HWND parent, const CLSID& clsid, const RECT& rect, const ControlCreation& how) {
    Destroy();
    if (!parent || !IsWindow(parent)) return E_INVALIDARG;

    site_.reset(new (std::nothrow) ControlSite(parent, rect, how.document));
    if (!site_) return E_OUTOFMEMORY;

    HRESULT hr = CreateShielded(clsid, control_);
    if (FAILED(hr)) {
        site_.reset();
        return hr;
    }

    IOleObject* object = control_.get();
    IOleClientSite* clientSite = static_cast<IOleClientSite*>(site_.get());
    hr = ShieldedHr([&] { return object->SetClientSite(clientSite); });
    if (SUCCEEDED(hr)) hr = how.params ? LoadParamsShielded(object, *how.params) : InitNewShielded(object);
    if (SUCCEEDED(hr) && how.activate) {
        RECT position = rect;
        LONG verb = how.visible ? OLEIVERB_SHOW : OLEIVERB_INPLACEACTIVATE;
        hr = ShieldedHr([&] { return object->DoVerb(verb, nullptr, clientSite, 0, parent, &position); });
    }
    if (FAILED(hr)) {
        Destroy();
        return hr;
    }
    return S_OK;
}

IUnknown* ControlHost::control() const { return control_.get(); }

HWND ControlHost::window() const {
    if (!control_) return nullptr;
    com_ptr<IOleInPlaceObject> inPlace;
    if (FAILED(QueryShielded(control_.get(), IID_IOleInPlaceObject, inPlace))) return nullptr;
    HWND window = nullptr;
    IOleInPlaceObject* p = inPlace.get();
    if (FAILED(ShieldedHr([&] { return p->GetWindow(&window); }))) window = nullptr;
    ReleaseShielded(inPlace);
    return window;
}

void ControlHost::Destroy() {
    com_ptr<IOleObject> control(std::move(control_));
    if (control) {
        IOleObject* object = control.get();
        com_ptr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(QueryShielded(object, IID_IOleInPlaceObject, inPlace))) {
            IOleInPlaceObject* p = inPlace.get();
            ShieldedHr([p] { return p->InPlaceDeactivate(); });
            ReleaseShielded(inPlace);
        }
        ShieldedHr([object] { return object->Close(OLECLOSE_NOSAVE); });
        ShieldedHr([object] { return object->SetClientSite(nullptr); });
        ReleaseShielded(control);
    }
    site_.reset();
}

// --- The creation test --------------------------------------------------------

namespace {

const wchar_t kProbeParentClass[] = L"OmniprobeControlProbeParent";

bool RegisterProbeParentClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = CurrentModule();
    wc.lpszClassName = kProbeParentClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool CanCreateControlWindow(const CLSID& clsid) {
    com_init com;  // balanced; an apartment the caller already entered stays as it was
    if (!RegisterProbeParentClass()) return false;
    unique_hwnd parent(CreateWindowExW(0, kProbeParentClass, L"", WS_POPUP, 0, 0, 2, 2, nullptr, nullptr,
                                       CurrentModule(), nullptr));
    if (!parent) return false;
    RECT rect = {0, 0, 2, 2};
    ControlHost host;
    HRESULT hr = host.Create(parent.get(), clsid, rect, false);
    host.Destroy();
    return SUCCEEDED(hr);
}

}  // namespace omni
