// What a repair asks the user before it installs code or weakens a security setting: the change, as the
// consent question names it in the catalogue's current language, and which Modify keys ask.
#pragma once

#include <string>

namespace omni {

class RepairUi;

std::string InstallChange(const std::string& fileName);       // "install Quadrel.ocx"
std::string RunInstallerChange(const std::string& setupName);  // "run the installer MPSetupXP.exe"
// The msorun installer also lets the msorun add-ons run without asking once it succeeded; the question says so.
std::string RunMsorunInstallerChange(const std::string& setupName);
std::string EnableAddonChange(const std::string& fileName);    // "turn the Quadrel.ocx add-on back on"

// Whether Modify(key) may go on (kOk): at once for a key that weakens nothing, or for a setting that is
// already as the key would set it; otherwise RepairUi::Consent's answer.
int ConsentToModify(const std::string& key, RepairUi& ui);

}  // namespace omni
