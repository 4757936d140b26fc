#include "hosting/property_bag.h"

#include "hosting/com_edge.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

ParamBag::ParamBag(ParamList params) : params_(std::move(params)) {}

STDMETHODIMP ParamBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (!name || !value) return E_POINTER;
    // The caller states the type it wants in vt; everything else of the VARIANT is ours to write.
    VARTYPE wanted = value->vt;
    VariantInit(value);
    return ComEdge([&]() -> HRESULT {
        std::string key = Narrow(name);
        for (const auto& [paramName, paramValue] : params_) {
            if (!EqualsNoCase(paramName, key)) continue;
            unique_variant text;
            text.get()->vt = VT_BSTR;
            text.get()->bstrVal = SysAllocString(Widen(paramValue).c_str());
            if (!text.get()->bstrVal) return E_OUTOFMEMORY;
            if (wanted == VT_EMPTY || wanted == VT_BSTR) return VariantCopy(value, text.get());
            return VariantChangeType(value, text.get(), 0, wanted);
        }
        return E_INVALIDARG;
    });
}

// The page's PARAMs are read-only to the control.
STDMETHODIMP ParamBag::Write(LPCOLESTR, VARIANT*) { return E_NOTIMPL; }

}  // namespace omni
