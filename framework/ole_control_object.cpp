// IOleObject: the container's handle on the control, its verbs and in-place activation.
#include "framework/ole_control.h"

#include <olectl.h>

#include "hosting/com_edge.h"

namespace omni::fw {

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

}  // namespace omni::fw
