#include "diagnosis/component_rules.h"

#include "core/message_catalog.h"
#include "diagnosis/item_builder.h"
#include "diagnosis/settings_keys.h"

namespace omni {

namespace {

DiagnosisItem InstallOcxItem(UINT result, UINT solution, const std::string& name) {
    return MakeItem(kColourProblem, result, solution, kSolutionMethod, kMethodInstallOcx, name);
}

DiagnosisItem NormalWithVersion(const Version& version, const char* value) {
    DiagnosisItem item = MakeItem(kColourPassed, 0, 0, kSolutionMethod, value, "");
    item.resultMsg = FormatMessageWith(109, version.GetText());
    return item;
}

}  // namespace

DiagnosisItem GradeOcx(const TotalInfoState& state, GradingProbes& probes, const std::string& name) {
    const OCXDLLNode* installed = state.installedOcx.Find(name);
    const OCXDLLNode* necessary = state.necessaryOcx.Find(name);
    if (!installed || !necessary || installed->found == 0) return InstallOcxItem(114, 122, name);
    // Not registered, not loadable or refused by the browser: re-registering is the repair.
    if (!probes.CanCreateControl(name)) return InstallOcxItem(131, 251, name);
    if (installed->version < necessary->version) {
        DiagnosisItem item = InstallOcxItem(0, 123, name);
        item.resultMsg = FormatMessageWith(113, installed->version.GetText());
        return item;
    }
    if (SupportsAddonManager(state) && probes.IsAddonEnabled(name) == 0) return InstallOcxItem(116, 251, name);
    return NormalWithVersion(installed->version, kMethodInstallOcx);
}

DiagnosisItem GradeDll(const TotalInfoState& state, const std::string& name) {
    const OCXDLLNode* installed = state.installedDll.Find(name);
    if (!installed || installed->found == 0)
        return MakeItem(kColourProblem, 115, 246, kSolutionMethod, kMethodInstallDll, name);
    return NormalWithVersion(installed->version, "");
}

bool IsOcxUpToDate(const TotalInfoState& state, GradingProbes& probes, const std::string& name) {
    const OCXDLLNode* installed = state.installedOcx.Find(name);
    const OCXDLLNode* necessary = state.necessaryOcx.Find(name);
    if (!installed || !necessary) return false;
    return probes.CanCreateControl(name) && installed->version >= necessary->version;
}

}  // namespace omni
