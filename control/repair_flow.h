// The repairs a page asks for: the Modify key table, and the decisions of InstallOcx, InstallDll and
// InstallProgram. What they show, the user's consent and the re-diagnosis timer go through RepairUi.
#pragma once

#include <string>

namespace omni {

class CTotalInfo;

inline constexpr unsigned kSucceededText = 236;
inline constexpr unsigned kInstallFourthDllText = 247;
inline constexpr unsigned kNotRelevantIe7Text = 266;

class RepairUi {
public:
    virtual ~RepairUi() = default;
    // The information box (no owner) with this catalogue text.
    virtual void Inform(unsigned textId) = 0;
    // An error box owned by the control's window with this catalogue text.
    virtual void Warn(unsigned textId) = 0;
    // The re-diagnosis about one second from now; arming it again replaces the pending one.
    virtual void ArmRediagnosis() = 0;
    // The Flash verification page, modal.
    virtual void ShowFlashVerification() = 0;
    // Before a page installs code or weakens a security setting: kOk when the host policy allows the
    // page, or the user answers Yes to the question that names the page's origin and the change (a text
    // of the catalogue's current language, "install Quadrel.ocx"); kUserCanceled for No; kHostNotAllowed,
    // unasked, for a page without a web origin.
    virtual int Consent(const std::string& change) = 0;
};

// modString as the page sends it, any letter case. 0, or a negative code (-92 for an unknown key, -80
// when the user refused a change that weakens security, -103 when the page may not be asked).
int RunModify(const std::string& modString, CTotalInfo& info, RepairUi& ui);
// -31 for a name that is not a plain file name or not in the necessary OCX list, -80 when the user
// refused, -103 when the page may not be asked; then nothing changes.
int RunInstallOcx(const std::string& ocxName, CTotalInfo& info, RepairUi& ui);
// As InstallOcx, by the necessary DLL list; -102 without administrator rights.
int RunInstallDll(const std::string& dllName, CTotalInfo& info, RepairUi& ui);
// -31 for a name that is not plain or does not end in ".exe" or ".msi", before anything is fetched;
// -93 when the installer cannot be started (it is missing, say); -107 when it ended with an exit code
// other than 0, 3010 or 1641 (recorded in the Application event log).
int RunInstallProgram(const std::string& setupName, RepairUi& ui);

}  // namespace omni
