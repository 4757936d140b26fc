// Calls into a foreign control inside a structured-exception frame of our own: an access violation
// or a raised exception inside the control then ends only that call, not the hosting process.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace omni {

// What a shielded call answers when the control raised a structured exception.
inline constexpr HRESULT kControlFaulted = static_cast<HRESULT>(0x8007023EL);  // ERROR_UNHANDLED_EXCEPTION

using ShieldedCall = void (*)(void* context);

// Runs call(context); false when a structured exception escaped from it. The nested frames of the
// faulting code are unwound by the system before this returns.
bool CallShielded(ShieldedCall call, void* context);

// Runs body (which returns an HRESULT) shielded; a C++ exception from body counts as E_UNEXPECTED.
template <typename Body>
HRESULT ShieldedHr(Body&& body) {
    struct Context {
        Body* body;
        HRESULT result;
    } context{&body, E_UNEXPECTED};
    ShieldedCall call = [](void* raw) {
        auto* c = static_cast<Context*>(raw);
        // A C++ exception must not leave the shielded frame, or it would leave our record behind.
        try {
            c->result = (*c->body)();
        } catch (...) {
            c->result = E_UNEXPECTED;
        }
    };
    return CallShielded(call, &context) ? context.result : kControlFaulted;
}

// Lets go of a foreign interface pointer shielded; a faulting Release leaks the object.
template <typename T>
void ReleaseShielded(com_ptr<T>& pointer) {
    T* p = pointer.release();
    if (p) ShieldedHr([p] { p->Release(); return S_OK; });
}

}  // namespace omni
