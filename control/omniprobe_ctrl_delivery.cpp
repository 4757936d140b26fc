// The members around the report: save, mail, post, sample content, the toolbar and add-on lists.
#include "control/omniprobe_ctrl.h"

#include "control/browser_window.h"
#include "control/host_policy.h"
#include "control/post_body.h"
#include "control/report_delivery.h"
#include "control/sample_content.h"
#include "core/web_address.h"
#include "dialogs/show_tb_dlg.h"
#include "probes/addon_inspector.h"

namespace omni {

namespace {

// A method cannot be put.
bool IsPut(WORD kind) { return kind == DISPATCH_PROPERTYPUT; }

}  // namespace

HRESULT COmniprobeCtrl::SaveTo(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (IsPut(kind)) return DISP_E_MEMBERNOTFOUND;
    return fw::SetLongResult(result, CReportDelivery(info_.GetReportText()).SaveTo(window()));
}

HRESULT COmniprobeCtrl::MailTo(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (IsPut(kind)) return DISP_E_MEMBERNOTFOUND;
    const std::string mailAddr = state_.mailAddr;  // the page may change it while the mail client shows
    return fw::SetLongResult(result, CReportDelivery(info_.GetReportText()).MailTo(mailAddr, mailCopies_));
}

HRESULT COmniprobeCtrl::SendInformation(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    if (IsPut(kind)) return DISP_E_MEMBERNOTFOUND;
    std::string url, diagnosis, ieAddons, lang;
    HRESULT hr = S_OK;
    if (FAILED(hr = args.String(0, url)) || FAILED(hr = args.String(1, diagnosis)) ||
        FAILED(hr = args.String(2, ieAddons)) || FAILED(hr = args.String(3, lang)))
        return hr;
    // Only to a web address, and where a host policy exists, only to an origin it allows: the report
    // describes the PC, and a foreign page may not send it elsewhere.
    if (!IsWebAddress(url) || !ReadHostPolicy().Allows(ParseOrigin(url))) return fw::SetBoolResult(result, false);
    BrowserWindowRequest request;
    request.url = url;
    request.width = 610;
    request.height = 580;
    request.post = true;
    request.body = BuildPostBody(diagnosis, ieAddons, lang);
    OpenBrowserWindow(request);  // the page is told nothing either way
    return fw::SetBoolResult(result, true);
}

HRESULT COmniprobeCtrl::ShowSampleContent(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    if (IsPut(kind)) return DISP_E_MEMBERNOTFOUND;
    long version = 0;
    HRESULT hr = args.Long(0, version);
    if (FAILED(hr)) return hr;
    return fw::SetLongResult(result, CSampleContent().Show(version, info_.GetOsCode()));
}

HRESULT COmniprobeCtrl::ShowIeToolbarList(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (IsPut(kind)) return DISP_E_MEMBERNOTFOUND;
    CShowTBDlg().DoModal(nullptr);
    return fw::SetLongResult(result, 0);
}

HRESULT COmniprobeCtrl::GetDisabledIeAddins(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (IsPut(kind)) return DISP_E_MEMBERNOTFOUND;
    return fw::SetStringResult(result, CAddonInspector().GetDisabledAddonText());
}

}  // namespace omni
