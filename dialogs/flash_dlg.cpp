#include "dialogs/flash_dlg.h"

#include <exdisp.h>

#include "core/module_state.h"
#include "dialogs/dialog_template.h"
#include "dialogs/display_dialog.h"
#include "hosting/fault_shield.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "resources/resource_ids.h"

namespace omni {

namespace {

// The system's WebBrowser control.
constexpr CLSID kWebBrowserClsid = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

// The dialog's direct child that holds the browser's window, so the browser answers to its own id.
HWND DialogChildOf(HWND dialog, HWND window) {
    while (window && GetParent(window) != dialog) window = GetParent(window);
    return window;
}

}  // namespace

std::string FlashSamplePageAddress(int installMode, const std::string& serverUrl,
                                   const std::string& localBaseFolder) {
    return (installMode == kInstallModeWeb ? serverUrl : localBaseFolder) + kFlashSamplePage;
}

CFlashDlg::CFlashDlg(const std::string& pageAddress) : pageAddress_(pageAddress) {}

CFlashDlg::~CFlashDlg() = default;

INT_PTR CFlashDlg::DoModal(HWND parent) {
    com_init com;  // the browser needs an apartment; the control's thread normally has one already
    createResult_ = E_PENDING;
    navigateResult_ = E_PENDING;
    return ShowCatalogDialog(IDD_FLASH_CHECK, parent, DialogProc, reinterpret_cast<LPARAM>(this));
}

void CFlashDlg::OnInitDialog(HWND dialog) {
    // The browser takes the place that the template keeps for it.
    HWND placeholder = GetDlgItem(dialog, IDC_FLASH_BROWSER);
    RECT area = {};
    GetWindowRect(placeholder, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    DestroyWindow(placeholder);

    createResult_ = browser_.Create(dialog, kWebBrowserClsid, area, true);
    if (FAILED(createResult_)) return;  // no browser on this machine: the dialog still shows its texts
    if (HWND child = DialogChildOf(dialog, browser_.window())) SetWindowLongPtrW(child, GWLP_ID, IDC_FLASH_BROWSER);
    Navigate();
}

void CFlashDlg::Navigate() {
    IUnknown* control = browser_.control();
    if (!control) {
        navigateResult_ = E_NOINTERFACE;
        return;
    }
    // The browser runs the page's code on this thread: every call into it is shielded.
    com_ptr<IWebBrowser2> browser;
    void** slot = browser.put_void();
    navigateResult_ = ShieldedHr([&] { return control->QueryInterface(IID_IWebBrowser2, slot); });
    if (FAILED(navigateResult_) || !browser) {
        (void)browser.release();  // a failed call may have left anything in the slot
        if (SUCCEEDED(navigateResult_)) navigateResult_ = E_NOINTERFACE;
        return;
    }
    unique_bstr address(SysAllocString(Widen(pageAddress_).c_str()));
    unique_variant flags, frame, postData, headers;  // all empty: a plain navigation
    IWebBrowser2* raw = browser.get();
    navigateResult_ = ShieldedHr(
        [&] { return raw->Navigate(address.get(), flags.get(), frame.get(), postData.get(), headers.get()); });
    ReleaseShielded(browser);
}

INT_PTR CALLBACK CFlashDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleDialogMessage(dialog, [&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<CFlashDlg*>(lParam)->OnInitDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            return CloseOnOkOrCancel(dialog, wParam);  // the result is not used
        case WM_DESTROY:
            if (auto* self = reinterpret_cast<CFlashDlg*>(GetWindowLongPtrW(dialog, DWLP_USER)))
                self->browser_.Destroy();
            return FALSE;
        default:
            return FALSE;
        }
    });
}

}  // namespace omni
