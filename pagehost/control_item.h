// The control as the script engine sees it under its object id: the control's own dispatch interface,
// plus IBindEventHandler, through which Wine's JScript binds `function id::Event(...)` handlers.
#pragma once

#include <windows.h>
#include <activscp.h>

#include <functional>
#include <string>

#include "platform/handles.h"

namespace omni::page {

using EventBinder = std::function<void(const std::wstring& eventName, IDispatch* function)>;

class ControlItem final : public IDispatch, public IBindEventHandler {
public:
    ControlItem(com_ptr<IDispatch> control, EventBinder bind);  // one reference

    // Drops the control and the binder; the engine may keep this object a little longer.
    void Forget();

    // IUnknown: any other interface is the control's own, so the engine can still find its class
    // information and connection points.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, forwarded to the control
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // IBindEventHandler
    STDMETHODIMP BindHandler(LPCOLESTR eventName, IDispatch* function) override;

private:
    ~ControlItem() = default;

    LONG references_ = 1;
    com_ptr<IDispatch> control_;
    EventBinder bind_;
};

}  // namespace omni::page
