#include "pagehost/script_object.h"

#include "hosting/com_edge.h"
#include "platform/dispatch_stubs.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni::page {

ScriptObject::ScriptObject(std::vector<std::pair<std::wstring, ScriptMember>> members)
    : members_(std::move(members)) {}

STDMETHODIMP ScriptObject::GetTypeInfoCount(UINT* count) { return NoTypeInfoCount(count); }

STDMETHODIMP ScriptObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) { return NoTypeInfo(info); }

STDMETHODIMP ScriptObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (!names || count == 0) return E_INVALIDARG;
    return ComEdge([&]() -> HRESULT {
        for (size_t m = 0; m < members_.size(); ++m)
            if (names[0] && members_[m].first == names[0]) {
                ids[0] = static_cast<DISPID>(m + 1);
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // members take no named arguments
            }
        return DISP_E_UNKNOWNNAME;
    });
}

STDMETHODIMP ScriptObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argumentError) {
    if (result) VariantInit(result);
    if (exception) *exception = EXCEPINFO{};
    if (argumentError) *argumentError = 0;
    return ComEdge([&]() -> HRESULT {
        if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
        // DISPPARAMS hold the arguments last first.
        std::vector<VARIANT*> arguments;
        if (params)
            for (UINT i = params->cArgs; i > 0; --i) arguments.push_back(&params->rgvarg[i - 1]);
        VARIANT ignored;
        VariantInit(&ignored);
        HRESULT hr = members_[static_cast<size_t>(id) - 1].second(flags, arguments, result ? result : &ignored);
        VariantClear(&ignored);
        return hr;
    });
}

std::string ArgumentText(const std::vector<VARIANT*>& arguments, size_t index) {
    if (index >= arguments.size()) return "";
    unique_variant text;
    if (FAILED(VariantChangeType(text.get(), arguments[index], VARIANT_ALPHABOOL, VT_BSTR))) return "";
    BSTR b = text.get()->bstrVal;
    return b ? Narrow(b, SysStringLen(b)) : "";
}

long ArgumentLong(const std::vector<VARIANT*>& arguments, size_t index, long fallback) {
    if (index >= arguments.size()) return fallback;
    unique_variant number;
    if (FAILED(VariantChangeType(number.get(), arguments[index], 0, VT_I4))) return fallback;
    return number.get()->lVal;
}

HRESULT ReturnText(VARIANT* result, const std::string& utf8) {
    result->bstrVal = SysAllocString(Widen(utf8).c_str());
    if (!result->bstrVal) return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    return S_OK;
}

}  // namespace omni::page
