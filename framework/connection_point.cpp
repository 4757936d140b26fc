#include "framework/connection_point.h"

#include <olectl.h>

#include <new>

#include "hosting/com_edge.h"
#include "platform/com_object.h"

namespace omni::fw {

void ConnectionPoint::Fire(DISPID dispid, VARIANT* args, UINT count) {
    // A sink may unadvise (or advise) while it handles the event: call a copy of the list.
    std::vector<com_ptr<IDispatch>> targets;
    for (const Sink& sink : sinks_) targets.push_back(sink.dispatch);
    for (auto& target : targets) {
        DISPPARAMS params = {args, nullptr, count, 0};
        target->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

void ConnectionPoint::UnadviseAll() {
    std::vector<Sink> sinks;
    sinks.swap(sinks_);  // releases happen after the list is consistent again
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = owner_;
    owner_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    return ComEdge([&]() -> HRESULT {
        com_ptr<IDispatch> dispatch;
        // Sinks of a dispinterface are reached through IDispatch; asking for the event IID first
        // lets a sink that answers only to it still be called.
        if (FAILED(sink->QueryInterface(events_, dispatch.put_void())) &&
            FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())))
            return CONNECT_E_CANNOTCONNECT;
        sinks_.push_back({nextCookie_, std::move(dispatch)});
        *cookie = nextCookie_++;
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie != cookie) continue;
        com_ptr<IDispatch> released(std::move(it->dispatch));
        sinks_.erase(it);
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

namespace {

class SinglePointEnumerator final : public ComObject<IEnumConnectionPoints, IID_IEnumConnectionPoints> {
public:
    SinglePointEnumerator(IConnectionPoint* point, ULONG position) : point_(point), position_(position) {
        point_->AddRef();
    }

    STDMETHODIMP Next(ULONG wanted, IConnectionPoint** points, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!points || (wanted > 1 && !fetched)) return E_POINTER;
        ULONG given = 0;
        if (wanted > 0 && position_ == 0) {
            points[0] = point_.get();
            point_->AddRef();
            position_ = 1;
            given = 1;
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        if (count == 0) return S_OK;
        bool had = position_ == 0;
        position_ = 1;
        return had && count == 1 ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** copy) override {
        if (!copy) return E_POINTER;
        *copy = new (std::nothrow) SinglePointEnumerator(point_.get(), position_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~SinglePointEnumerator() override = default;

    com_ptr<IConnectionPoint> point_;
    ULONG position_;
};

}  // namespace

HRESULT CreateSinglePointEnumerator(IConnectionPoint* point, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) SinglePointEnumerator(point, 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace omni::fw
