#include "control/object_safety.h"

#include "platform/handles.h"

namespace omni {

HRESULT ObjectSafety::HasInterface(REFIID iid) {
    com_ptr<IUnknown> found;
    HRESULT hr = owner_->QueryInterface(iid, found.put_void());
    return SUCCEEDED(hr) ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP ObjectSafety::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled) return E_POINTER;
    // Written whatever the answer: a container may read them even after a refusal.
    *supported = kSafeOptions;
    *enabled = kSafeOptions;
    return HasInterface(iid);
}

STDMETHODIMP ObjectSafety::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
    HRESULT hr = HasInterface(iid);
    if (FAILED(hr)) return hr;
    if (mask & ~kSafeOptions) return E_FAIL;
    if ((mask & enabled) != mask) return E_FAIL;  // switching a safety option off is refused
    return S_OK;
}

}  // namespace omni
