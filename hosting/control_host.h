// A minimal OLE container: creates one ActiveX control by class identifier as a child of a given
// window, in place, and takes it down again.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "hosting/property_bag.h"
#include "platform/handles.h"

namespace omni {

class ControlSite;

// How a control is brought up, as a page's <object> element asks.
struct ControlCreation {
    bool visible = true;
    bool activate = true;             // false: loaded and scriptable, but never activated (no window)
    const ParamList* params = nullptr;  // the PARAMs, loaded through a property bag; null: InitNew
    IMoniker* document = nullptr;       // the page's address, as the browser offers its document's; null: none
};

class ControlHost {
public:
    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Creates the control in place inside parent at rect (parent coordinates), shown when visible.
    // The calling thread must be in a single-threaded apartment. On failure nothing stays behind.
    HRESULT Create(HWND parent, const CLSID& clsid, const RECT& rect, bool visible);
    HRESULT Create(HWND parent, const CLSID& clsid, const RECT& rect, const ControlCreation& how);

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
