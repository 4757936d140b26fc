#include "control/repair_flow.h"

#include "core/module_state.h"
#include "core/result_codes.h"
#include "diagnosis/settings_keys.h"
#include "diagnosis/total_info.h"
#include "install/component_list.h"
#include "install/dlg_down.h"
#include "install/folder_mng.h"
#include "install/ocx_dll_register_manager.h"
#include "install/plain_file_name.h"
#include "install/program_executer.h"
#include "platform/file_probe.h"
#include "platform/text.h"
#include "probes/flash_security_setup.h"
#include "probes/version_retriever.h"

namespace omni {

namespace {

constexpr char kKeySpMarklet[] = "SpMarklet";
constexpr char kKeyPreapproveMsorun[] = "PreapproveMsorundll";
constexpr char kMarklet3OuterFile[] = "Marklet3Outer.ocx";
constexpr char kInstallerUrlPart[] = "Installer/";
constexpr char kFlashInstaller[] = "flashplayer9r28_winax.exe";
constexpr char kMsorunInstaller[] = "msorun.exe";
// Installers after which the page is diagnosed again, whatever they answered.
const char* const kRediagnosedInstallers[] = {"MPSetupXP.exe", "MPSetup98me2000.exe", kFlashInstaller};
// The Windows XP and Server 2003 family of the OS codes.
constexpr int kXpFamilyFirst = 16;
constexpr int kXpFamilyLast = 22;

enum class Precondition { kNone, kAdministrator, kXpFamily, kIe7ThenAdministrator };

struct ModifyKey {
    const char* key;
    Precondition precondition;
    int (*setter)(CVersionRetriever& setters, CTotalInfo& info);
    bool rediagnose;  // else the message only
};

const ModifyKey kModifyKeys[] = {
    {kKeyFlashSecure, Precondition::kNone,
     [](CVersionRetriever& s, CTotalInfo&) { return s.RepairFlashSecurity(); }, true},
    {kKeyIeFlash, Precondition::kNone, [](CVersionRetriever& s, CTotalInfo&) { return s.UnblockFlash(); }, true},
    {kKeyIeMarklet, Precondition::kNone, [](CVersionRetriever& s, CTotalInfo&) { return s.UnblockMarklet(); }, true},
    {kKeyWmpSrs, Precondition::kAdministrator,
     [](CVersionRetriever& s, CTotalInfo&) { return s.DisableWMPSRSAutoInsert(); }, true},
    {kKeyIePopup, Precondition::kNone, [](CVersionRetriever& s, CTotalInfo&) { return s.TurnOffPopupBlocker(); }, true},
    {kKeySpMarklet, Precondition::kXpFamily,
     [](CVersionRetriever&, CTotalInfo&) { return COCXDLLRegisterManager().ReplaceInstallerOcx(kMarklet3OuterFile); },
     false},
    {kKeyStatusBarScript, Precondition::kNone,
     [](CVersionRetriever& s, CTotalInfo&) { return s.AllowStatusBarScript(); }, true},
    {kKeyPreapproveMsorun, Precondition::kIe7ThenAdministrator,
     [](CVersionRetriever& s, CTotalInfo&) { return s.AddPreApprovedControls(); }, false},
    {kKeyWmpNetwork, Precondition::kNone, [](CVersionRetriever&, CTotalInfo& i) { return i.ApplyWmpNetworkOption(); },
     true},
    {kKeyWmpSeeking, Precondition::kNone,
     [](CVersionRetriever& s, CTotalInfo&) { return s.DisableApproximateSeeking(); }, true},
    {kKeySoftwareRendering, Precondition::kNone,
     [](CVersionRetriever& s, CTotalInfo&) { return s.EnableSoftwareRendering(); }, true},
    {kKeyIe32BitTabs, Precondition::kNone, [](CVersionRetriever& s, CTotalInfo&) { return s.EnableIE32BitTabs(); },
     true},
};

bool IsAdministrator() { return GetModuleState().isAdmin; }

// kOk when the setter may run; otherwise the code Modify answers (0 with a message when not relevant).
int CheckPrecondition(Precondition precondition, CTotalInfo& info, RepairUi& ui, bool& stop) {
    stop = true;
    switch (precondition) {
    case Precondition::kAdministrator:
        if (!IsAdministrator()) return kAdminOnlyFeature;
        break;
    case Precondition::kXpFamily:
        if (info.GetOsCode() < kXpFamilyFirst || info.GetOsCode() > kXpFamilyLast) return kNotRelevantOs;
        break;
    case Precondition::kIe7ThenAdministrator:
        if (!info.IsIe7OrLater()) {
            ui.Inform(kNotRelevantIe7Text);
            return kOk;
        }
        if (!IsAdministrator()) return kAdminOnlyFeature;
        break;
    case Precondition::kNone:
        break;
    }
    stop = false;
    return kOk;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

int RunModify(const std::string& modString, CTotalInfo& info, RepairUi& ui) {
    for (const ModifyKey& entry : kModifyKeys) {
        if (!EqualsNoCase(modString, entry.key)) continue;
        bool stop = false;
        int code = CheckPrecondition(entry.precondition, info, ui, stop);
        if (stop) return code;
        CVersionRetriever setters;
        code = entry.setter(setters, info);
        if (code != kOk) return code;
        ui.Inform(kSucceededText);
        if (entry.rediagnose) ui.ArmRediagnosis();
        return kOk;
    }
    return kUndefinedArgument;
}

int RunInstallOcx(const std::string& ocxName, CTotalInfo& info, RepairUi& ui) {
    if (!IsPlainFileName(ocxName)) return kFileMissing;
    // Without a list entry there is no kind to install by: refuse before anything changes.
    const OCXDLLNode* entry = info.state().necessaryOcx.Find(ocxName);
    if (!entry) return kFileMissing;
    const std::string name = entry->name;
    COCXDLLRegisterManager manager;
    int code = kOk;
    if (!info.IsOcxUpToDate(name)) {
        code = manager.ReplaceOcx(name, entry->kind);
        if (code == kOk) ui.Inform(kSucceededText);
        if (code == kDllLoadFailed) {
            ui.Warn(kInstallFourthDllText);
            return kOk;
        }
    }
    manager.EnableAddon(name);
    ui.ArmRediagnosis();
    return code;
}

int RunInstallDll(const std::string& dllName, RepairUi& ui) {
    if (!IsPlainFileName(dllName)) return kFileMissing;
    if (!IsAdministrator()) return kAdminOnlyFeature;
    int code = COCXDLLRegisterManager().ReplaceDll(dllName);
    if (code == kOk) {
        ui.Inform(kSucceededText);
        ui.ArmRediagnosis();
    }
    return code;
}

std::string InstallerCommandLine(const std::string& installerPath) { return "\"" + installerPath + "\""; }

int RunInstallProgram(const std::string& setupName, RepairUi& ui) {
    if (!IsPlainFileName(setupName)) return kFileMissing;
    if (!IsAdministrator()) return kAdminOnlyFeature;
    if (GetModuleState().installMode == kInstallModeWeb) {
        CDlgDown dialog;
        dialog.SetSource(kInstallerUrlPart, setupName);
        dialog.SetDisplayName(setupName);
        if (!dialog.Fetch()) return kDownloadFailed;
    }
    const std::string path = GetFolderMng().GetInstallerFolder() + setupName;
    CProgramExecuter executer;
    if (EndsWithNoCase(setupName, ".msi")) return executer.ExecuteMsi(path);
    if (!EndsWithNoCase(setupName, ".exe")) return kFileMissing;

    int code = executer.Execute(InstallerCommandLine(path));
    if (code == kOk && EqualsNoCase(setupName, kFlashInstaller) && !IsFile(CFlashSecuritySetup().GetSettingsPath()))
        ui.ShowFlashVerification();
    for (const char* installer : kRediagnosedInstallers)
        if (EqualsNoCase(setupName, installer)) ui.ArmRediagnosis();
    if (EqualsNoCase(setupName, kMsorunInstaller)) CVersionRetriever().AddPreApprovedControls();
    return code;
}

}  // namespace omni
