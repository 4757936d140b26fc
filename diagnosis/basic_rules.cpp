#include "diagnosis/basic_rules.h"

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "diagnosis/item_builder.h"
#include "diagnosis/settings_keys.h"
#include "diagnosis/vendor_links.h"
#include "machine/folder_mng.h"
#include "platform/text.h"
#include "probes/effective_ie_version.h"

namespace omni {

namespace {

bool LinksInsteadOfInstallers() { return GetFolderMng().GetInstallMode() == kInstallModeLocalLinks; }

Version EffectiveIeVersion(const TotalInfoState& state, GradingProbes& probes) {
    Version service;
    // Only IE 10 and later keep their own version in the service version; older ones are not asked.
    const bool serviceRead = state.ieVersion >= Ie10Version() && probes.RetrieveIEServiceVersion(service) == 0;
    return ChooseEffectiveIEVersion(state.ieVersion, serviceRead, service);
}

}  // namespace

DiagnosisItem GradeOs(const TotalInfoState& state) {
    constexpr int kWindows98Se = 4;
    if (state.osCode < kWindows98Se) return MakeItem(kColourProblem, 119, 130, kSolutionText, "", "");
    return MakeItem(kColourPassed, 108, 0, kSolutionText, "", "");
}

std::string DescribeOs(const TotalInfoState& state) { return state.osName + "\r\n" + state.servicePackBuildText; }

DiagnosisItem GradeIe(const TotalInfoState& state) {
    if (state.ieVersion >= MinimumIeVersion()) return MakeItem(kColourPassed, 108, 0, kSolutionLink, "", "");
    return MakeItem(kColourProblem, 111, 234, kSolutionLink, kIe6DownloadPage, "");
}

std::string GetIeDisplayVersion(const TotalInfoState& state, GradingProbes& probes) {
    return EffectiveIeVersion(state, probes).GetText();
}

std::string DescribeIe(const TotalInfoState& state, GradingProbes& probes) {
    return FormatMessageWith(110, GetIeDisplayVersion(state, probes));
}

short GetIeDisplayMajor(const TotalInfoState& state, GradingProbes& probes) {
    return static_cast<short>(EffectiveIeVersion(state, probes).major);
}

DiagnosisItem GradeWmp(const TotalInfoState& state) {
    constexpr int kLastBeforeXp = 15;
    constexpr int kLastXpFamily = 22;
    if (state.wmpVersion >= MinimumWmpVersion()) return MakeItem(kColourPassed, 108, 0, kSolutionMethod, "", "");
    if (LinksInsteadOfInstallers()) return MakeItem(kColourProblem, 111, 272, kSolutionLink, kMediaVendorHome, "");
    if (state.osCode <= kLastBeforeXp)
        return MakeItem(kColourProblem, 111, 238, kSolutionMethod, kMethodInstallProgram, kWmp9Installer);
    if (state.osCode <= kLastXpFamily)
        return MakeItem(kColourProblem, 111, 264, kSolutionMethod, kMethodInstallProgram, kWmp10Installer);
    // Vista and later ship the player; the value stays from the installer offer, the type withdraws it.
    return MakeItem(kColourProblem, 142, 265, kSolutionText, kMethodInstallProgram, "");
}

std::string DescribeWmp(const TotalInfoState& state, const DiagnosisItem& item) {
    if (item.colour != kColourPassed && LinksInsteadOfInstallers()) return LoadMessage(270);
    return FormatMessageWith(110, state.wmpVersion.GetText());
}

DiagnosisItem GradeFlash(const TotalInfoState& state) {
    if (state.flashVersion >= MinimumFlashVersion()) return MakeItem(kColourPassed, 108, 0, kSolutionLink, "", "");
    if (LinksInsteadOfInstallers()) return MakeItem(kColourProblem, 249, 273, kSolutionLink, kFlashVendorHome, "");
    return MakeItem(kColourProblem, 249, 124, kSolutionMethod, kMethodInstallProgram, kFlashInstaller);
}

std::string DescribeFlash(const TotalInfoState& state, const DiagnosisItem& item) {
    if (item.colour != kColourPassed && LinksInsteadOfInstallers()) return LoadMessage(271);
    std::string text = state.flashVersion.GetText();
    if (text.empty() || EqualsNoCase(text, "0.0.0.0")) return "X";
    return FormatMessageWith(110, Format("%d", state.flashVersion.major));
}

}  // namespace omni
