// The PARAM elements of an <object> as the property bag that the browser hands to the control's
// IPersistPropertyBag::Load: names and values as the page wrote them.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

namespace omni {

using ParamList = std::vector<std::pair<std::string, std::string>>;  // UTF-8 name and value, in page order

class ParamBag final : public IPropertyBag {
public:
    explicit ParamBag(ParamList params);  // one reference, owned by the caller

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPropertyBag: names match without regard to case, as in HTML; a name the page did not give
    // answers E_INVALIDARG, and a value is converted to the type the caller asks for.
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    ~ParamBag() = default;

    LONG references_ = 1;
    ParamList params_;
};

}  // namespace omni
