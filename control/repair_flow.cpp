#include "control/repair_flow.h"

#include "control/repair_consent.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "diagnosis/settings_keys.h"
#include "diagnosis/total_info.h"
#include "install/component_list.h"
#include "install/component_probe.h"
#include "install/ocx_dll_register_manager.h"
#include "install/source_file.h"
#include "machine/folder_mng.h"
#include "machine/locked_file.h"
#include "machine/plain_file_name.h"
#include "machine/program_executer.h"
#include "machine/publisher_trust.h"
#include "platform/file_probe.h"
#include "platform/text.h"
#include "probes/flash_security_setup.h"
#include "probes/version_retriever.h"

namespace omni {

namespace {

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
     [](CVersionRetriever&, CTotalInfo& i) {
         const OCXDLLNode* listed = i.state().necessaryOcx.Find(kMarklet3OuterFile);
         return COCXDLLRegisterManager().ReplaceInstallerOcx(kMarklet3OuterFile, listed ? listed->version : Version());
     },
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

// A refusal before anything was copied: nothing changed, so no add-on step and nothing to diagnose.
bool RefusedUnchanged(int code) { return code == kUntrustedPublisher || code == kNotTheComponent || code == kInitFailed; }

}  // namespace

int RunModify(const std::string& modString, CTotalInfo& info, RepairUi& ui) {
    for (const ModifyKey& entry : kModifyKeys) {
        if (!EqualsNoCase(modString, entry.key)) continue;
        bool stop = false;
        int code = CheckPrecondition(entry.precondition, info, ui, stop);
        if (stop) return code;
        code = ConsentToModify(entry.key, ui);
        if (code != kOk) return code;
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
    // Without a list entry there is no kind to install by: refuse before anything changes. What the repair
    // needs of the entry is copied now: a Retrieve during the question would free it.
    const OCXDLLNode* entry = info.state().necessaryOcx.Find(ocxName);
    if (!entry) return kFileMissing;
    const std::string name = entry->name;
    const int kind = entry->kind;
    const Version listed = entry->version;
    entry = nullptr;
    COCXDLLRegisterManager manager;
    int code = kOk;
    if (!info.IsOcxUpToDate(name)) {
        code = ui.Consent(InstallChange(name));
        if (code != kOk) return code;
        code = manager.ReplaceOcx(name, kind, listed);
        if (code == kOk) ui.Inform(kSucceededText);
        if (code == kDllLoadFailed) {
            ui.Warn(kInstallFourthDllText);
            return code;
        }
        if (RefusedUnchanged(code)) return code;
    } else if (!IsAddonEnabled(name)) {
        // Up to date but turned off as an add-on: turning it on again is the change to ask about.
        code = ui.Consent(EnableAddonChange(name));
        if (code != kOk) return code;
    }
    manager.EnableAddon(name);
    ui.ArmRediagnosis();
    return code;
}

int RunInstallDll(const std::string& dllName, CTotalInfo& info, RepairUi& ui) {
    if (!IsPlainFileName(dllName)) return kFileMissing;
    if (!IsAdministrator()) return kAdminOnlyFeature;
    // Only a DLL that the list names reaches the system folder.
    const OCXDLLNode* entry = info.state().necessaryDll.Find(dllName);
    if (!entry) return kFileMissing;
    const std::string name = entry->name;
    const Version listed = entry->version;
    entry = nullptr;
    int code = ui.Consent(InstallChange(name));
    if (code != kOk) return code;
    code = COCXDLLRegisterManager().ReplaceDll(name, listed);
    if (code == kOk) {
        ui.Inform(kSucceededText);
        ui.ArmRediagnosis();
    }
    return code;
}

int RunInstallProgram(const std::string& setupName, RepairUi& ui) {
    if (!IsPlainFileName(setupName)) return kFileMissing;
    if (!IsAdministrator()) return kAdminOnlyFeature;
    const bool msi = EndsWithNoCase(setupName, ".msi");
    if (!msi && !EndsWithNoCase(setupName, ".exe")) return kFileMissing;  // nothing of another kind is fetched
    if (!GetFolderMng().IsReady()) return kInitFailed;
    const bool msorun = EqualsNoCase(setupName, kMsorunInstaller);
    int code = ui.Consent(msorun ? RunMsorunInstallerChange(setupName) : RunInstallerChange(setupName));
    if (code != kOk) return code;
    // In web mode in a folder of its own: the installer loads its DLLs from its folder first.
    SourceFile installer;
    if (!installer.Provide(kInstallerUrlPart, GetFolderMng().GetInstallerFolder(), setupName)) return kDownloadFailed;
    // Held until the installer has ended: what runs is what was checked.
    LockedFile held;
    code = OpenTrustedFile(installer.path(), held);
    if (code == kFileMissing) return kSubprocessFailed;
    if (code != kOk) return code;
    unsigned long exitCode = 0;
    CProgramExecuter executer;
    code = msi ? executer.RunPackage(installer.path(), exitCode) : executer.RunInstaller(installer.path(), "", exitCode);
    if (code != kOk) return code;
    if (!InstallerSucceeded(exitCode)) {
        LogInstallerFailure(setupName, exitCode);
        code = kInstallerFailed;
    }
    if (msi) return code;

    if (code == kOk && EqualsNoCase(setupName, kFlashInstaller) && !IsFile(CFlashSecuritySetup().GetSettingsPath()))
        ui.ShowFlashVerification();
    for (const char* rediagnosed : kRediagnosedInstallers)
        if (EqualsNoCase(setupName, rediagnosed)) ui.ArmRediagnosis();
    if (code == kOk && msorun) CVersionRetriever().AddPreApprovedControls();
    return code;
}

}  // namespace omni
