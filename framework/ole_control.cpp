// The control's object: construction, events and its IUnknown; each group of interfaces has a file of its own.
#include "framework/ole_control.h"

#include "hosting/com_edge.h"

namespace omni::fw {

OleControl::OleControl(const ControlDescription& description)
    : description_(description), events_(this, *description.eventsIid) {}

OleControl::~OleControl() = default;

void OleControl::FireEvent(DISPID dispid, VARIANT* args, UINT count) {
    if (frozen_ > 0) return;  // the container is not ready for events (it said so)
    events_.Fire(dispid, args, count);
}

// --- IUnknown

STDMETHODIMP OleControl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ComEdge([&]() -> HRESULT {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
            *out = static_cast<IOleObject*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
            *out = static_cast<IOleInPlaceObject*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        else if (IsEqualIID(iid, IID_IOleControl))
            *out = static_cast<IOleControl*>(this);
        else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
            *out = static_cast<IViewObject2*>(this);
        else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
            *out = static_cast<IPersistStreamInit*>(this);
        else if (IsEqualIID(iid, IID_IPersistPropertyBag))
            *out = static_cast<IPersistPropertyBag*>(this);
        else if (IsEqualIID(iid, IID_IPersistStorage))
            *out = static_cast<IPersistStorage*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
            *out = static_cast<IProvideClassInfo2*>(this);
        else if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
            *out = static_cast<ISpecifyPropertyPages*>(this);
        else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, *description_.dispatchIid))
            *out = static_cast<IDispatch*>(this);
        else if (void* extra = QueryControlInterface(iid))
            *out = extra;
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) OleControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) OleControl::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

}  // namespace omni::fw
