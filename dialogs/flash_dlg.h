// The Flash verification page: a sample page in an embedded browser, shown after Flash Player
// has been installed so that the user can confirm that Flash content plays.
#pragma once

#include <windows.h>

#include <string>

#include "hosting/control_host.h"

namespace omni {

inline constexpr char kFlashSamplePage[] = "flashsample.htm";

// The server URL in web mode (install mode 1), else the local base folder, followed by the page name.
std::string FlashSamplePageAddress(int installMode, const std::string& serverUrl,
                                   const std::string& localBaseFolder);

class CFlashDlg {
public:
    explicit CFlashDlg(const std::string& pageAddress);
    virtual ~CFlashDlg();

    // Modal; IDOK or IDCANCEL when closed, -1 when the dialog cannot be created.
    INT_PTR DoModal(HWND parent);

    const std::string& pageAddress() const { return pageAddress_; }
    // What creating the browser and navigating it answered during the last DoModal.
    HRESULT createResult() const { return createResult_; }
    HRESULT navigateResult() const { return navigateResult_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    void Navigate();

    std::string pageAddress_;
    ControlHost browser_;
    HRESULT createResult_ = E_PENDING;
    HRESULT navigateResult_ = E_PENDING;
};

}  // namespace omni
