// IDispatch: the scripting members, dispatched by the control's table.
#include "framework/ole_control.h"

#include "framework/type_library.h"
#include "hosting/com_edge.h"
#include "hosting/fault_shield.h"

namespace omni::fw {

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

}  // namespace omni::fw
