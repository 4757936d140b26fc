// The repair members of the control: Modify, InstallOcx, InstallDll, InstallProgram and the
// re-diagnosis timer. Each converts its argument and result; control/repair_flow decides.
#include "control/omniprobe_ctrl.h"

#include "control/host_policy.h"
#include "control/information_box.h"
#include "control/page_standing.h"
#include "control/repair_flow.h"
#include "core/message_catalog.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "dialogs/flash_dlg.h"
#include "hosting/com_edge.h"
#include "machine/folder_mng.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr UINT_PTR kRediagnosisTimer = 3001;
constexpr UINT kRediagnosisDelayMs = 1000;
// A re-diagnosis that found a Retrieve or repair running waits this long before trying again.
constexpr UINT kDeferredRediagnosisMs = 250;
constexpr UINT kToolCaptionText = 248;

}  // namespace

class ControlRepairUi final : public RepairUi {
public:
    explicit ControlRepairUi(COmniprobeCtrl& control) : control_(control) {}

    void Inform(unsigned textId) override {
        ShowInformationBox(LoadMessage(textId));
    }
    void Warn(unsigned textId) override {
        MessageBoxW(control_.OwnerWindow(), Widen(LoadMessage(textId)).c_str(),
                    Widen(LoadMessage(kToolCaptionText)).c_str(), MB_OK | MB_ICONERROR);
    }
    void ArmRediagnosis() override {
        if (control_.window()) SetTimer(control_.window(), kRediagnosisTimer, kRediagnosisDelayMs, nullptr);
    }
    int Consent(const std::string& change) override {
        const std::string address = control_.ContainerAddress();
        switch (StandingOf(ReadHostPolicy(), address)) {
        case PageStanding::kVouched: return kOk;
        case PageStanding::kRefused: return kHostNotAllowed;
        case PageStanding::kAsk: break;
        }
        // No is the default button: a page cannot get its way by a hurried Enter.
        return MessageBoxW(control_.OwnerWindow(), Widen(ConsentQuestion(address, change)).c_str(),
                           Widen(LoadMessage(kToolCaptionText)).c_str(),
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES
                   ? kOk
                   : kUserCanceled;
    }
    void ShowFlashVerification() override {
        const CFolderMng& folders = GetFolderMng();
        CFlashDlg(FlashSamplePageAddress(folders.GetInstallMode(), folders.GetServerUrl(), folders.GetLocalBaseFolder()))
            .DoModal(control_.window());
    }

private:
    COmniprobeCtrl& control_;
};

HRESULT COmniprobeCtrl::RunRepair(WORD kind, const fw::DispatchArgs& args, VARIANT* result,
                                  int (*repair)(COmniprobeCtrl& control, const std::string& argument)) {
    if (kind == DISPATCH_PROPERTYPUT) return DISP_E_MEMBERNOTFOUND;
    std::string argument;
    HRESULT hr = args.String(0, argument);
    if (FAILED(hr)) return hr;
    ModuleState& module = GetModuleState();
    ++module.repairsRunning;
    // Its boxes in the control's own language, also where no window's set-up applied it to the thread.
    ScopedCatalogLanguage language(LanguageFromLang(state_.lang));
    int code = kOk;
    hr = ComEdge([&]() -> HRESULT {
        code = repair(*this, argument);
        return S_OK;
    });
    --module.repairsRunning;
    if (FAILED(hr)) return hr;
    return fw::SetLongResult(result, code);
}

HRESULT COmniprobeCtrl::Modify(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    return RunRepair(kind, args, result, [](COmniprobeCtrl& control, const std::string& key) {
        ControlRepairUi ui(control);
        control.info_.ProbeFactsIfNeverRun();  // some keys depend on the system and the browser
        return RunModify(key, control.info_, ui);
    });
}

HRESULT COmniprobeCtrl::InstallOcx(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    return RunRepair(kind, args, result, [](COmniprobeCtrl& control, const std::string& name) {
        ControlRepairUi ui(control);
        return RunInstallOcx(name, control.info_, ui);
    });
}

HRESULT COmniprobeCtrl::InstallDll(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    return RunRepair(kind, args, result, [](COmniprobeCtrl& control, const std::string& name) {
        ControlRepairUi ui(control);
        return RunInstallDll(name, control.info_, ui);
    });
}

HRESULT COmniprobeCtrl::InstallProgram(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    return RunRepair(kind, args, result, [](COmniprobeCtrl& control, const std::string& name) {
        ControlRepairUi ui(control);
        return RunInstallProgram(name, ui);
    });
}

void COmniprobeCtrl::OnTimer(UINT_PTR id) {
    if (id != kRediagnosisTimer) return;
    KillTimer(window(), kRediagnosisTimer);
    // The timer may fire inside a dialog of a running Retrieve or repair: a Retrieve started there would
    // deliver its report before the outer call returned. Try again once the outer call is over.
    const ModuleState& module = GetModuleState();
    if (module.retrievesRunning > 0 || module.repairsRunning > 0) {
        SetTimer(window(), kRediagnosisTimer, kDeferredRediagnosisMs, nullptr);
        return;
    }
    ActiveFolders folders(state_.folders);
    ComEdge([&]() -> HRESULT {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        RunRetrieveNow();
        SetCursor(previous);
        return S_OK;
    });
}

}  // namespace omni
