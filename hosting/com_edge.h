// Every COM method we implement runs its body through ComEdge, so nothing thrown inside it
// reaches the caller on the other side of the interface.
#pragma once

#include <windows.h>

#include <new>

namespace omni {

template <typename Body>
HRESULT ComEdge(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace omni
