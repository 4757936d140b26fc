// IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject and IOleControl: the control in place.
#include "framework/ole_control.h"

#include "hosting/com_edge.h"

namespace omni::fw {

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

}  // namespace omni::fw
