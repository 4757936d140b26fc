// Arguments and results of one IDispatch::Invoke, converted the way automation does it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace omni::fw {

class DispatchArgs {
public:
    explicit DispatchArgs(DISPPARAMS* params) : params_(params) {}

    unsigned count() const { return params_ ? params_->cArgs : 0; }
    // Positional argument index (0 is the first one the script wrote), coerced to the type asked for.
    // DISP_E_PARAMNOTFOUND when missing, DISP_E_TYPEMISMATCH when it cannot be converted.
    HRESULT Long(unsigned index, long& out) const;
    HRESULT Bool(unsigned index, bool& out) const;
    HRESULT String(unsigned index, std::string& out) const;  // UTF-8

private:
    HRESULT Coerced(unsigned index, VARTYPE type, VARIANT& out) const;

    DISPPARAMS* params_;
};

// Results; result may be null when the caller does not want one. Allocation failure: E_OUTOFMEMORY.
HRESULT SetLongResult(VARIANT* result, long value);
HRESULT SetShortResult(VARIANT* result, short value);
HRESULT SetBoolResult(VARIANT* result, bool value);
HRESULT SetStringResult(VARIANT* result, const std::string& utf8);

// A BSTR from UTF-8; null on allocation failure.
BSTR AllocBstr(const std::string& utf8);

}  // namespace omni::fw
