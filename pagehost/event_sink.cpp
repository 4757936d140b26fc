#include "pagehost/event_sink.h"

#include <new>

#include "hosting/com_edge.h"
#include "platform/dispatch_stubs.h"

namespace omni::page {

namespace {

// The default source interface: IProvideClassInfo2 names it directly; otherwise the co-class's
// implemented interface marked default and source.
HRESULT DefaultSource(IUnknown* control, ITypeInfo* coclass, IID& source) {
    com_ptr<IProvideClassInfo2> info2;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, info2.put_void())) &&
        SUCCEEDED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source)))
        return S_OK;
    if (!coclass) return E_NOINTERFACE;
    TYPEATTR* attributes = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attributes))) return E_NOINTERFACE;
    WORD count = attributes->cImplTypes;
    coclass->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        com_ptr<ITypeInfo> implemented;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) ||
            (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) ||
            FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(coclass->GetRefTypeInfo(ref, implemented.addressof())) ||
            FAILED(implemented->GetTypeAttr(&attributes)))
            continue;
        source = attributes->guid;
        implemented->ReleaseTypeAttr(attributes);
        return S_OK;
    }
    return E_NOINTERFACE;
}

}  // namespace

com_ptr<ITypeInfo> ClassInfoOf(IUnknown* control) {
    com_ptr<IProvideClassInfo> provider;
    com_ptr<ITypeInfo> coclass;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo, provider.put_void())))
        provider->GetClassInfo(coclass.addressof());
    return coclass;
}

HRESULT EventSink::Connect(IUnknown* control, EventHandler handler, com_ptr<EventSink>& out) {
    out.reset();
    if (!control) return E_POINTER;
    com_ptr<ITypeInfo> coclass = ClassInfoOf(control);
    IID source;
    HRESULT hr = DefaultSource(control, coclass.get(), source);
    if (FAILED(hr)) return hr;
    // The event names come from the type library that describes the class.
    com_ptr<ITypeInfo> events;
    com_ptr<ITypeLib> library;
    UINT index = 0;
    if (coclass && SUCCEEDED(coclass->GetContainingTypeLib(library.addressof(), &index)))
        library->GetTypeInfoOfGuid(source, events.addressof());
    if (!events) return TYPE_E_ELEMENTNOTFOUND;

    com_ptr<IConnectionPointContainer> container;
    hr = control->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    if (FAILED(hr)) return hr;
    com_ptr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(source, point.addressof());
    if (FAILED(hr)) return hr;

    com_ptr<EventSink> sink(new (std::nothrow) EventSink(source, std::move(events), std::move(handler)));
    if (!sink) return E_OUTOFMEMORY;
    hr = point->Advise(static_cast<IDispatch*>(sink.get()), &sink->cookie_);
    if (FAILED(hr)) return hr;
    sink->point_ = std::move(point);
    out = std::move(sink);
    return S_OK;
}

EventSink::EventSink(const IID& source, com_ptr<ITypeInfo> events, EventHandler handler)
    : source_(source), events_(std::move(events)), handler_(std::move(handler)) {}

void EventSink::Disconnect() {
    handler_ = nullptr;
    if (point_) point_->Unadvise(cookie_);
    point_.reset();
    events_.reset();
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) { return NoTypeInfoCount(count); }

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) { return NoTypeInfo(info); }

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    return NoNames(count, ids);
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError) {
    if (result) VariantInit(result);
    if (exception) *exception = EXCEPINFO{};
    if (argumentError) *argumentError = 0;
    return ComEdge([&]() -> HRESULT {
        if (!handler_ || !events_) return S_OK;
        unique_bstr name;
        UINT found = 0;
        if (FAILED(events_->GetNames(id, name.addressof(), 1, &found)) || found == 0 || !name.get())
            return S_OK;  // an event the library does not name has no handler to call
        EventHandler handler = handler_;  // the handler may disconnect this sink
        handler(name.get(), params);
        return S_OK;
    });
}

}  // namespace omni::page
