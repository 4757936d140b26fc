// IViewObject2: drawing for a container that draws the control itself.
#include "framework/ole_control.h"

#include "hosting/fault_shield.h"

namespace omni::fw {

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

}  // namespace omni::fw
