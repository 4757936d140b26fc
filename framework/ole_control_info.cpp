// What a container asks about the control: its connection points, type information and property page.
#include "framework/ole_control.h"

#include <olectl.h>

#include "framework/type_library.h"
#include "hosting/com_edge.h"

namespace omni::fw {

// --- IConnectionPointContainer

STDMETHODIMP OleControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (!points) return E_POINTER;
    *points = nullptr;
    return CreateSinglePointEnumerator(&events_, points);
}

STDMETHODIMP OleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, events_.events())) return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

// --- IProvideClassInfo2

STDMETHODIMP OleControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return ComEdge([&] { return GetModuleTypeInfo(*description_.clsid, info); });
}

STDMETHODIMP OleControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = events_.events();
    return S_OK;
}

// --- ISpecifyPropertyPages

STDMETHODIMP OleControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    if (!description_.propertyPage) return S_OK;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = *description_.propertyPage;
    pages->cElems = 1;
    return S_OK;
}

}  // namespace omni::fw
