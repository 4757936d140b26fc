#include "diagnosis/settings_rules.h"

#include "core/message_catalog.h"
#include "diagnosis/item_builder.h"
#include "diagnosis/settings_keys.h"

namespace omni {

namespace {

DiagnosisItem Modify(const char* colour, UINT result, UINT solution, const char* key) {
    return MakeItem(colour, result, solution, kSolutionMethod, kMethodModify, key);
}

// A result message made of an outer entry with an inner entry as its value.
DiagnosisItem ModifyWith(const char* colour, UINT outer, UINT inner, UINT solution, const char* key) {
    DiagnosisItem item = Modify(colour, 0, solution, key);
    item.resultMsg = FormatMessageWith(outer, LoadMessage(inner));
    return item;
}

DiagnosisItem NotRelevant(const char* key) { return Modify(kColourPassed, 144, 0, key); }

DiagnosisItem GradeAddonSwitch(const TotalInfoState& state, int disabled, const char* key) {
    if (!SupportsAddonManager(state)) return NotRelevant(key);
    if (disabled != 0) return Modify(kColourProblem, 116, 127, key);
    return Modify(kColourPassed, 152, 0, key);
}

// The browser options: 1 means set as content needs, anything else must be changed.
struct OptionEntries {
    UINT normal;
    UINT problem;
    UINT solution;
};

DiagnosisItem GradeOption(bool inGate, int flag, const OptionEntries& entries, const char* key) {
    if (!inGate) return NotRelevant(key);
    if (flag == 1) return Modify(kColourPassed, entries.normal, 0, key);
    return Modify(kColourProblem, entries.problem, entries.solution, key);
}

}  // namespace

DiagnosisItem GradeFlashSecure(const TotalInfoState& state) {
    constexpr int kLastWithoutGlobalSettings = 7;
    if (state.flashVersion.major <= kLastWithoutGlobalSettings) return NotRelevant(kKeyFlashSecure);
    switch (state.flashSecurity) {
    case 0:
        return ModifyWith(kColourPassed, 145, 146, 0, kKeyFlashSecure);
    case 1:
        return ModifyWith(kColourProblem, 149, 147, 126, kKeyFlashSecure);
    case 2:
        return ModifyWith(kColourProblem, 149, 148, 126, kKeyFlashSecure);
    default:
        return ModifyWith(kColourProblem, 149, 150, 0, kKeyFlashSecure);
    }
}

DiagnosisItem GradeIeFlash(const TotalInfoState& state) {
    return GradeAddonSwitch(state, state.flashBlocked, kKeyIeFlash);
}

DiagnosisItem GradeIeMarklet(const TotalInfoState& state) {
    return GradeAddonSwitch(state, state.markletBlocked, kKeyIeMarklet);
}

DiagnosisItem GradeIePopup(const TotalInfoState& state) {
    if (!SupportsAddonManager(state)) return NotRelevant(kKeyIePopup);
    if (state.popupOn != 0) return ModifyWith(kColourProblem, 153, 151, 127, kKeyIePopup);
    return Modify(kColourPassed, 152, 0, kKeyIePopup);
}

DiagnosisItem GradeStatusBarScript(const TotalInfoState& state) {
    return GradeOption(state.ieVersion >= Ie7Version(), state.statusBarScript, {260, 261, 262},
                       kKeyStatusBarScript);
}

DiagnosisItem GradeSoftwareRendering(const TotalInfoState& state) {
    return GradeOption(state.ieVersion >= Ie10Version(), state.softwareRendering, {279, 280, 281},
                       kKeySoftwareRendering);
}

DiagnosisItem GradeIe32BitTabs(const TotalInfoState& state) {
    return GradeOption(state.ieVersion >= Ie9Version() && state.isWow64, state.ie32BitTabs, {283, 282, 284},
                       kKeyIe32BitTabs);
}

DiagnosisItem GradeWmpSrs(const TotalInfoState& state) {
    if (state.wmpVersion < Version("10.0.0.0")) return NotRelevant(kKeyWmpSrs);
    if (state.srsAutoInsert != 0) return Modify(kColourProblem, 154, 127, kKeyWmpSrs);
    return Modify(kColourPassed, 152, 0, kKeyWmpSrs);
}

DiagnosisItem GradeWmpNetwork(const TotalInfoState& state, GradingProbes& probes) {
    constexpr int kFirstWithNetworkSettings = 7;
    if (state.wmpVersion.major < kFirstWithNetworkSettings) return NotRelevant(kKeyWmpNetwork);
    if (probes.CheckWmpNetworkAll() == 1) return MakeItem(kColourPassed, 260, 0, kSolutionLink, "", "");
    return Modify(kColourProblem, 275, 262, kKeyWmpNetwork);
}

DiagnosisItem GradeWmpSeeking(const TotalInfoState& state, GradingProbes& probes) {
    constexpr int kFirstWithApproximateSeeking = 11;
    if (state.wmpVersion.major < kFirstWithApproximateSeeking) return NotRelevant(kKeyWmpSeeking);
    int correct = 0;
    // A failed probe counts as a setting that is not correct.
    if (probes.CheckApproximateSeeking(correct) == 0 && correct != 0)
        return Modify(kColourPassed, 152, 0, kKeyWmpSeeking);
    return Modify(kColourProblem, 277, 127, kKeyWmpSeeking);
}

}  // namespace omni
