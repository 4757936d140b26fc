#include "hosting/control_site.h"

#include <olectl.h>

#include "hosting/com_edge.h"
#include "platform/dispatch_stubs.h"

namespace omni {

ControlSite::ControlSite(HWND parent, const RECT& position, IMoniker* document)
    : parent_(parent), position_(position), document_(Shared(document)) {}

STDMETHODIMP ControlSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComEdge([&]() -> HRESULT {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (IsEqualIID(iid, IID_IDispatch))
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) ControlSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) ControlSite::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// --- IOleClientSite: there is no document to save; the page's address names the container when given.

STDMETHODIMP ControlSite::SaveObject() { return S_OK; }

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD whichMoniker, IMoniker** moniker) {
    if (!moniker) return E_POINTER;
    *moniker = nullptr;
    if (whichMoniker != OLEWHICHMK_CONTAINER || !document_) return E_NOTIMPL;
    *moniker = document_.get();
    (*moniker)->AddRef();
    return S_OK;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::ShowObject() { return S_OK; }
STDMETHODIMP ControlSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = parent_;
    return S_OK;
}

STDMETHODIMP ControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite

STDMETHODIMP ControlSite::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP ControlSite::OnInPlaceActivate() {
    inPlaceActive_ = true;
    return S_OK;
}

STDMETHODIMP ControlSite::OnUIActivate() { return S_OK; }

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                           RECT* clip, OLEINPLACEFRAMEINFO* frameInfo) {
    if (frame) *frame = nullptr;
    if (document) *document = nullptr;
    if (!frame || !document || !position || !clip) return E_POINTER;
    return ComEdge([&]() -> HRESULT {
        *position = position_;
        *clip = position_;
        if (frameInfo) {
            // The caller sets cb; the rest is ours to fill.
            frameInfo->fMDIApp = FALSE;
            frameInfo->hwndFrame = parent_;
            frameInfo->haccel = nullptr;
            frameInfo->cAccelEntries = 0;
        }
        // This object is the frame and the document window at once.
        AddRef();
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = static_cast<IOleInPlaceFrame*>(this);
        return S_OK;
    });
}

STDMETHODIMP ControlSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnUIDeactivate(BOOL) { return S_OK; }

STDMETHODIMP ControlSite::OnInPlaceDeactivate() {
    inPlaceActive_ = false;
    return S_OK;
}

STDMETHODIMP ControlSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::DeactivateAndUndo() { return E_NOTIMPL; }

// The control may ask to move; it gets the place it asks for inside the parent.
STDMETHODIMP ControlSite::OnPosRectChange(const RECT* position) {
    if (!position) return E_POINTER;
    position_ = *position;
    return S_OK;
}

// --- IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, toolbars or status bar to share.

STDMETHODIMP ControlSite::GetBorder(RECT* border) {
    if (border) SetRectEmpty(border);
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP ControlSite::RequestBorderSpace(const BORDERWIDTHS*) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP ControlSite::SetBorderSpace(const BORDERWIDTHS*) { return S_OK; }

// The active object is not kept: holding it would tie the control's lifetime to the site's.
STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }

STDMETHODIMP ControlSite::InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) { return S_OK; }
STDMETHODIMP ControlSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP ControlSite::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP ControlSite::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP ControlSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::TranslateAccelerator(MSG*, WORD) { return S_FALSE; }

// --- IDispatch: ambient properties of a container in run mode.

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT* count) { return NoTypeInfoCount(count); }

STDMETHODIMP ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) { return NoTypeInfo(info); }

STDMETHODIMP ControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    return NoNames(count, ids);
}

STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
    if (result) VariantInit(result);
    return ComEdge([&]() -> HRESULT {
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        VARIANT_BOOL answer;
        switch (id) {
            case DISPID_AMBIENT_USERMODE: answer = VARIANT_TRUE; break;
            case DISPID_AMBIENT_UIDEAD:
            case DISPID_AMBIENT_SHOWHATCHING:
            case DISPID_AMBIENT_SHOWGRABHANDLES: answer = VARIANT_FALSE; break;
            default: return DISP_E_MEMBERNOTFOUND;
        }
        if (!result) return E_POINTER;
        result->vt = VT_BOOL;
        result->boolVal = answer;
        return S_OK;
    });
}

}  // namespace omni
