// A minimal OLE container: creates one ActiveX control by class identifier as a child of a given
// window, in place, and takes it down again.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "platform/handles.h"

namespace omni {

class ControlSite;

class ControlHost {
public:
    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Creates the control in place inside parent at rect (parent coordinates), shown when visible.
    // The calling thread must be in a single-threaded apartment. On failure nothing stays behind.
    HRESULT Create(HWND parent, const CLSID& clsid, const RECT& rect, bool visible);

    // The hosted control (borrowed; null when none). QueryInterface it for its own interfaces.
    IUnknown* control() const;

    // The control's in-place window, null when it has none (windowless or not created).
    HWND window() const;

    // Deactivates, closes and releases the control; safe to call when nothing is hosted.
    void Destroy();

private:
    com_ptr<IOleObject> control_;
    com_ptr<ControlSite> site_;
};

// Whether the control can be created at all: makes a hidden parent window, creates the control
// invisibly inside it, takes both down and answers. A fault inside the control answers false.
bool CanCreateControlWindow(const CLSID& clsid);

}  // namespace omni
