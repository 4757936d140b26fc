#include "diagnosis/total_info.h"

#include "core/result_codes.h"
#include "diagnosis/basic_rules.h"
#include "diagnosis/component_rules.h"
#include "diagnosis/settings_rules.h"
#include "diagnosis/system_probes.h"
#include "probes/wmp_network_settings.h"

namespace omni {

namespace {
constexpr int kLastWindows9x = 5;  // Windows 95, 98 and Me take the Z4 controls from their own folder
constexpr int kFirstWmpWithSrs = 10;
}  // namespace

CTotalInfo::CTotalInfo() : system_(std::make_unique<CSystemProbes>()), run_(system_.get()), grading_(system_.get()) {}

CTotalInfo::CTotalInfo(RunProbes& run, GradingProbes& grading) : run_(&run), grading_(&grading) {}

CTotalInfo::~CTotalInfo() = default;

int CTotalInfo::Stop(int code) {
    state_.runState = kRunStopped;
    return code;
}

int CTotalInfo::Run() {
    state_.reportText.clear();
    state_.installedOcx.Clear();
    state_.installedDll.Clear();
    state_.necessaryOcx.Clear();
    state_.necessaryDll.Clear();
    state_.toolbarText.clear();

    // A failed step must not leave the previous run's system to be graded: it reads as "Windows Unknown".
    state_.osCode = 0;
    state_.isWow64 = 0;
    state_.osName.clear();
    state_.servicePackText.clear();
    state_.servicePackBuildText.clear();
    OsFacts os;
    int status = run_->RetrieveOsInfo(os);
    if (status != 0) {
        run_->ShowMessage("R_BASICINCOMPLETE");
        return Stop(status);
    }
    state_.osCode = os.code;
    state_.isWow64 = os.isWow64;
    state_.osName = os.name;
    state_.servicePackText = os.servicePackText;
    state_.servicePackBuildText = os.servicePackBuildText;
    if (state_.osCode <= kLastWindows9x) run_->SwitchZ4To98();

    status = run_->RetrieveIEVersion(state_.ieVersion);
    if (status != 0) return Stop(status);
    status = run_->RetrieveWMPVersion(state_.wmpVersion);
    if (status != 0) return Stop(status);
    run_->RetrieveFlashVersion(state_.flashVersion);  // a missing player leaves 0.0.0.0

    if (state_.ieVersion < MinimumIeVersion() || state_.wmpVersion < MinimumWmpVersion())
        return Stop(kDiagnosisIncomplete);
    run_->LoadNecessaryLists(state_.osCode, state_.necessaryOcx, state_.necessaryDll);
    run_->BuildInstalledLists(state_.necessaryOcx, state_.necessaryDll, state_.installedOcx, state_.installedDll);

    // From here a failed probe leaves its default answer; it never stops the run.
    run_->CheckFlashSecurity(state_.flashSecurity);
    run_->CheckFlashBlocked(state_.flashBlocked);
    run_->CheckMarkletBlocked(state_.markletBlocked);
    if (state_.wmpVersion.major >= kFirstWmpWithSrs)
        run_->CheckWMPSRSAutoInsert(state_.srsAutoInsert);
    else
        state_.srsAutoInsert = 0;
    run_->CheckPopupBlocker(state_.popupOn);
    run_->GetToolbarListText(state_.toolbarText);
    if (state_.ieVersion >= Ie7Version()) run_->CheckStatusBarScript(state_.statusBarScript);
    if (state_.ieVersion >= Ie10Version()) run_->CheckSoftwareRendering(state_.softwareRendering);
    if (state_.ieVersion >= Ie9Version() && state_.isWow64) run_->CheckIE32BitTabs(state_.ie32BitTabs);

    state_.runState = kRunComplete;
    return kOk;
}

void CTotalInfo::ProbeFactsIfNeverRun() {
    if (state_.runState != kRunNever || factsProbed_) return;
    factsProbed_ = true;
    OsFacts os;
    if (run_->RetrieveOsInfo(os) == 0) {
        state_.osCode = os.code;
        state_.isWow64 = os.isWow64;
    }
    run_->RetrieveIEVersion(state_.ieVersion);
}

bool CTotalInfo::SupportsAddonManager() const { return omni::SupportsAddonManager(state_); }

bool CTotalInfo::IsIe7OrLater() const { return state_.ieVersion >= Ie7Version(); }

bool CTotalInfo::IsIe10OrLater() const { return state_.ieVersion >= Ie10Version(); }

short CTotalInfo::GetIeDisplayMajor() { return omni::GetIeDisplayMajor(state_, *grading_); }

int CTotalInfo::ApplyWmpNetworkOption() { return CWMPNetworkSettings().ApplyRepair() == 0 ? kOk : kRegistryOpenFailed; }

DiagnosisItem CTotalInfo::GradeOs() const { return omni::GradeOs(state_); }
std::string CTotalInfo::DescribeOs() const { return omni::DescribeOs(state_); }
DiagnosisItem CTotalInfo::GradeIe() const { return omni::GradeIe(state_); }
std::string CTotalInfo::DescribeIe() { return omni::DescribeIe(state_, *grading_); }
std::string CTotalInfo::GetIeDisplayVersion() { return omni::GetIeDisplayVersion(state_, *grading_); }
DiagnosisItem CTotalInfo::GradeWmp() const { return omni::GradeWmp(state_); }
std::string CTotalInfo::DescribeWmp(const DiagnosisItem& item) const { return omni::DescribeWmp(state_, item); }
DiagnosisItem CTotalInfo::GradeFlash() const { return omni::GradeFlash(state_); }
std::string CTotalInfo::DescribeFlash(const DiagnosisItem& item) const { return omni::DescribeFlash(state_, item); }

DiagnosisItem CTotalInfo::GradeFlashSecure() const { return omni::GradeFlashSecure(state_); }
DiagnosisItem CTotalInfo::GradeIeFlash() const { return omni::GradeIeFlash(state_); }
DiagnosisItem CTotalInfo::GradeIeMarklet() const { return omni::GradeIeMarklet(state_); }
DiagnosisItem CTotalInfo::GradeIePopup() const { return omni::GradeIePopup(state_); }
DiagnosisItem CTotalInfo::GradeStatusBarScript() const { return omni::GradeStatusBarScript(state_); }
DiagnosisItem CTotalInfo::GradeSoftwareRendering() const { return omni::GradeSoftwareRendering(state_); }
DiagnosisItem CTotalInfo::GradeIe32BitTabs() const { return omni::GradeIe32BitTabs(state_); }
DiagnosisItem CTotalInfo::GradeWmpSrs() const { return omni::GradeWmpSrs(state_); }
DiagnosisItem CTotalInfo::GradeWmpNetwork() { return omni::GradeWmpNetwork(state_, *grading_); }
DiagnosisItem CTotalInfo::GradeWmpSeeking() { return omni::GradeWmpSeeking(state_, *grading_); }

DiagnosisItem CTotalInfo::GradeOcx(const std::string& name) { return omni::GradeOcx(state_, *grading_, name); }
DiagnosisItem CTotalInfo::GradeDll(const std::string& name) const { return omni::GradeDll(state_, name); }
bool CTotalInfo::IsOcxUpToDate(const std::string& name) { return omni::IsOcxUpToDate(state_, *grading_, name); }

}  // namespace omni
