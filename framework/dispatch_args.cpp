#include "framework/dispatch_args.h"

#include "platform/handles.h"
#include "platform/text.h"

namespace omni::fw {

HRESULT DispatchArgs::Coerced(unsigned index, VARTYPE type, VARIANT& out) const {
    if (index >= count()) return DISP_E_PARAMNOTFOUND;
    // Automation passes arguments last to first.
    VARIANT* argument = &params_->rgvarg[params_->cArgs - 1 - index];
    if (V_VT(argument) == VT_ERROR && V_ERROR(argument) == DISP_E_PARAMNOTFOUND) return DISP_E_PARAMNOTFOUND;
    HRESULT hr = VariantChangeType(&out, argument, 0, type);
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT DispatchArgs::Long(unsigned index, long& out) const {
    unique_variant value;
    HRESULT hr = Coerced(index, VT_I4, *value.get());
    if (SUCCEEDED(hr)) out = V_I4(value.get());
    return hr;
}

HRESULT DispatchArgs::Bool(unsigned index, bool& out) const {
    unique_variant value;
    HRESULT hr = Coerced(index, VT_BOOL, *value.get());
    if (SUCCEEDED(hr)) out = V_BOOL(value.get()) != VARIANT_FALSE;
    return hr;
}

HRESULT DispatchArgs::String(unsigned index, std::string& out) const {
    unique_variant value;
    HRESULT hr = Coerced(index, VT_BSTR, *value.get());
    if (SUCCEEDED(hr)) {
        BSTR text = V_BSTR(value.get());
        out = text ? Narrow(text, SysStringLen(text)) : std::string();
    }
    return hr;
}

BSTR AllocBstr(const std::string& utf8) {
    std::wstring wide = Widen(utf8);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

HRESULT SetLongResult(VARIANT* result, long value) {
    if (!result) return S_OK;
    V_VT(result) = VT_I4;
    V_I4(result) = value;
    return S_OK;
}

HRESULT SetShortResult(VARIANT* result, short value) {
    if (!result) return S_OK;
    V_VT(result) = VT_I2;
    V_I2(result) = value;
    return S_OK;
}

HRESULT SetBoolResult(VARIANT* result, bool value) {
    if (!result) return S_OK;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT SetStringResult(VARIANT* result, const std::string& utf8) {
    if (!result) return S_OK;
    BSTR text = AllocBstr(utf8);
    if (!text) return E_OUTOFMEMORY;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = text;
    return S_OK;
}

}  // namespace omni::fw
