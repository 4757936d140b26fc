// The control's one outgoing dispatch interface: sinks advise here, and events go to each of them.
// It lives inside the control object and shares its reference count.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "platform/handles.h"

namespace omni::fw {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* owner, const IID& events) : owner_(owner), events_(events) {}

    const IID& events() const { return events_; }
    // Calls dispid on every sink with args (last argument first, as automation orders them).
    void Fire(DISPID dispid, VARIANT* args, UINT count);
    // Drops every sink, so that no sink keeps the control's container alive after it closes.
    void UnadviseAll();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    struct Sink {
        DWORD cookie;
        com_ptr<IDispatch> dispatch;
    };

    IConnectionPointContainer* owner_;
    IID events_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// An enumerator over the one connection point of a control.
HRESULT CreateSinglePointEnumerator(IConnectionPoint* point, IEnumConnectionPoints** out);

}  // namespace omni::fw
