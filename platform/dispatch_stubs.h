// IDispatch answers of an object without type information: one reached only by dispid (an event
// sink, a container's ambient properties) or by the names it matches itself.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace omni {

inline HRESULT NoTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

inline HRESULT NoTypeInfo(ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

// Every name unknown.
inline HRESULT NoNames(UINT count, DISPID* ids) {
    if (ids)
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return E_NOTIMPL;
}

}  // namespace omni
