// The PARAM elements of an <object> as the property bag that the browser hands to the control's
// IPersistPropertyBag::Load: names and values as the page wrote them.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/com_object.h"

namespace omni {

using ParamList = std::vector<std::pair<std::string, std::string>>;  // UTF-8 name and value, in page order

class ParamBag final : public ComObject<IPropertyBag, IID_IPropertyBag> {
public:
    explicit ParamBag(ParamList params);  // one reference, owned by the caller

    // IPropertyBag: names match without regard to case, as in HTML; a name the page did not give
    // answers E_INVALIDARG, and a value is converted to the type the caller asks for.
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    ~ParamBag() override = default;

    ParamList params_;
};

}  // namespace omni
