// Receives a control's events on its default source interface, as the browser does for an <object>,
// and hands each one on under its name from the control's type library.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>

#include "platform/com_object.h"
#include "platform/handles.h"

namespace omni::page {

using EventHandler = std::function<void(const std::wstring& eventName, DISPPARAMS* arguments)>;

class EventSink final : public ComObject<IDispatch, IID_IDispatch> {
public:
    // Advises a new sink on control's default source interface; the caller owns the reference.
    static HRESULT Connect(IUnknown* control, EventHandler handler, com_ptr<EventSink>& out);

    // Unadvises and drops the handler; events after this are ignored.
    void Disconnect();

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    EventSink(const IID& source, com_ptr<ITypeInfo> events, EventHandler handler);
    ~EventSink() override = default;
    bool AnswersAlso(REFIID iid) const override { return IsEqualIID(iid, source_); }

    IID source_;
    com_ptr<ITypeInfo> events_;
    EventHandler handler_;
    com_ptr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

// The control's class description (its co-class), for the script engine; null when it has none.
com_ptr<ITypeInfo> ClassInfoOf(IUnknown* control);

}  // namespace omni::page
