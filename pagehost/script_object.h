// A scriptable object made of a table of named members, for the page's window, document and location.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com_object.h"

namespace omni::page {

// flags is the Invoke kind (DISPATCH_METHOD, DISPATCH_PROPERTYGET, ...); arguments are in call order.
using ScriptMember = std::function<HRESULT(WORD flags, const std::vector<VARIANT*>& arguments, VARIANT* result)>;

class ScriptObject final : public ComObject<IDispatch, IID_IDispatch> {
public:
    explicit ScriptObject(std::vector<std::pair<std::wstring, ScriptMember>> members);  // one reference

    // IDispatch: member i has dispid i + 1; names match exactly, as JScript names do.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    ~ScriptObject() override = default;

    std::vector<std::pair<std::wstring, ScriptMember>> members_;
};

// Helpers for members: an argument as UTF-8 text or as a number (fallback when absent or unconvertible).
std::string ArgumentText(const std::vector<VARIANT*>& arguments, size_t index);
long ArgumentLong(const std::vector<VARIANT*>& arguments, size_t index, long fallback);
HRESULT ReturnText(VARIANT* result, const std::string& utf8);

}  // namespace omni::page
