// Calls into a foreign control inside a structured-exception frame of our own: an access violation
// or a raised exception inside the control then ends only that call, not the hosting process.
// Our own code gets no such recovery: the frames a recovery would skip may own windows, timers and
// handles, so a fault there ends the process (EndProcessOnFault) instead of going on half-unwound.
#pragma once

#include <windows.h>

#include <new>

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

// Runs call(context); a structured exception that reaches this frame is reported as unhandled (the
// system's crash reporting, or a debugger) and ends the process with the exception's code. Nothing is
// unwound, so no skipped frame's window, timer or handle is left to be used afterwards.
void EndProcessOnFault(ShieldedCall call, void* context);

// Runs our own body (which returns an HRESULT) at a COM or window edge: a C++ exception becomes an
// HRESULT (ComEdge), a structured exception ends the process.
template <typename Body>
HRESULT OwnCodeHr(Body&& body) {
    struct Context {
        Body* body;
        HRESULT result;
    } context{&body, E_UNEXPECTED};
    EndProcessOnFault(
        [](void* raw) {
            auto* c = static_cast<Context*>(raw);
            try {
                c->result = (*c->body)();
            } catch (const std::bad_alloc&) {
                c->result = E_OUTOFMEMORY;
            } catch (...) {
                c->result = E_UNEXPECTED;
            }
        },
        &context);
    return context.result;
}

// Lets go of a foreign interface pointer shielded; a faulting Release leaks the object.
template <typename T>
void ReleaseShielded(com_ptr<T>& pointer) {
    T* p = pointer.release();
    if (p) ShieldedHr([p] { p->Release(); return S_OK; });
}

}  // namespace omni
