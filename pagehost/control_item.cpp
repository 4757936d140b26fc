#include "pagehost/control_item.h"

#include "hosting/com_edge.h"

namespace omni::page {

ControlItem::ControlItem(com_ptr<IDispatch> control, EventBinder bind)
    : control_(std::move(control)), bind_(std::move(bind)) {}

void ControlItem::Forget() {
    control_.reset();
    bind_ = nullptr;
}

STDMETHODIMP ControlItem::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, __uuidof(IBindEventHandler))) {
        *out = static_cast<IBindEventHandler*>(this);
    } else {
        return control_ ? control_->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ControlItem::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) ControlItem::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP ControlItem::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return control_ ? control_->GetTypeInfoCount(count) : S_OK;
}

STDMETHODIMP ControlItem::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return control_ ? control_->GetTypeInfo(index, locale, info) : E_UNEXPECTED;
}

STDMETHODIMP ControlItem::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return control_ ? control_->GetIDsOfNames(iid, names, count, locale, ids) : E_UNEXPECTED;
}

STDMETHODIMP ControlItem::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argumentError) {
    if (result) VariantInit(result);
    if (exception) *exception = EXCEPINFO{};
    if (argumentError) *argumentError = 0;
    if (!control_) return E_UNEXPECTED;
    // No reference of ours across the call: a page that removes the object during the call lets go of
    // it, and the control has to keep itself alive until its member returns.
    IDispatch* control = control_.get();
    return control->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
}

STDMETHODIMP ControlItem::BindHandler(LPCOLESTR eventName, IDispatch* function) {
    if (!eventName || !function) return E_POINTER;
    return ComEdge([&]() -> HRESULT {
        if (bind_) bind_(eventName, function);
        return S_OK;
    });
}

}  // namespace omni::page
