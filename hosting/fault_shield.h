// Calls into a foreign control inside a structured-exception frame of our own: an access violation
// or a raised exception inside the control then ends only that call, not the hosting process.
// Our own code gets no such recovery: the frames a recovery would skip may own windows, timers and
// handles, so a fault there ends the process (EndProcessOnFault) instead of going on half-unwound.
#pragma once

#include <windows.h>

#include "hosting/com_edge.h"
#include "platform/handles.h"

namespace omni {

// What a shielded call answers when the control raised a structured exception.
inline constexpr HRESULT kControlFaulted = static_cast<HRESULT>(0x8007023EL);  // ERROR_UNHANDLED_EXCEPTION

using ShieldedCall = void (*)(void* context);

// Runs call(context); false when a structured exception escaped from it. The nested frames of the
// faulting code are unwound by the system before this returns.
bool CallShielded(ShieldedCall call, void* context);

// Runs call(context); a structured exception that reaches this frame is reported as unhandled (the
// system's crash reporting, or a debugger) and ends the process with the exception's code. Nothing is
// unwound, so no skipped frame's window, timer or handle is left to be used afterwards. True when it
// returns at all.
bool EndProcessOnFault(ShieldedCall call, void* context);

namespace detail {
// Runs body (which returns an HRESULT) inside frame; a C++ exception becomes an HRESULT within the frame
// (ComEdge), so it never leaves the frame's record behind. completed: the frame's own answer.
template <typename Frame, typename Body>
HRESULT InFrame(Frame frame, Body& body, bool& completed) {
    struct Context {
        Body* body;
        HRESULT result;
    } context{&body, E_UNEXPECTED};
    completed = frame([](void* raw) {
        auto* c = static_cast<Context*>(raw);
        c->result = ComEdge(*c->body);
    }, &context);
    return context.result;
}
}  // namespace detail

// Runs a foreign control's body shielded: a structured exception answers kControlFaulted.
template <typename Body>
HRESULT ShieldedHr(Body&& body) {
    bool completed = false;
    HRESULT hr = detail::InFrame(CallShielded, body, completed);
    return completed ? hr : kControlFaulted;
}

// Runs our own body at a COM or window edge: a C++ exception becomes an HRESULT, a structured exception
// ends the process.
template <typename Body>
HRESULT OwnCodeHr(Body&& body) {
    bool completed = false;
    return detail::InFrame(EndProcessOnFault, body, completed);
}

// Lets go of a foreign interface pointer shielded; a faulting Release leaks the object.
template <typename T>
void ReleaseShielded(com_ptr<T>& pointer) {
    T* p = pointer.release();
    if (p) ShieldedHr([p] { p->Release(); return S_OK; });
}

}  // namespace omni
