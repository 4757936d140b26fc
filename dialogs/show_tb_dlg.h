// The list of toolbars installed in Internet Explorer, for the user to judge which may block pop-ups.
#pragma once

#include <windows.h>

#include "probes/popup_detector.h"

namespace omni {

// Column widths of the list, in pixels.
inline constexpr int kToolbarFileColumnWidth = 220;
inline constexpr int kToolbarCompanyColumnWidth = 100;
inline constexpr int kToolbarDescriptionColumnWidth = 350;

class CShowTBDlg {
public:
    virtual ~CShowTBDlg();

    // Modal; IDOK or IDCANCEL when closed, -1 when the dialog cannot be created.
    INT_PTR DoModal(HWND parent);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);

    CPopupDetector detector_;
};

}  // namespace omni
