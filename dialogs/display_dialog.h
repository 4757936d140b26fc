// What every display-only dialog does the same way: any of its buttons closes it, and nothing thrown
// while handling a message reaches the system's dialog manager.
#pragma once

#include <windows.h>

namespace omni {

// OK, Escape and a hidden Cancel end the dialog with that button's identifier. TRUE when handled.
inline INT_PTR CloseOnOkOrCancel(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

// Runs handle() for one message; a C++ exception from it closes the dialog as cancelled.
template <typename Handler>
INT_PTR HandleDialogMessage(HWND dialog, Handler&& handle) {
    try {
        return handle();
    } catch (...) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace omni
