// Puts one of the maker's components in place and registers it: fetch (web mode), check its publisher,
// copy past an older copy the browser still has loaded, then its own self-registration or the per-user
// registration. Whatever fails after the copy puts the old copy back.
#pragma once

#include <string>

namespace omni {

class COCXDLLRegisterManager {
public:
    virtual ~COCXDLLRegisterManager();

    // Kind 4 takes the Z4 folders, any other kind the Z3 ones. 0, -31 (no readable source), -34, -37,
    // -60, -61 or -104 (not signed by a trusted publisher).
    int ReplaceOcx(const std::string& fileName, int kind);
    // Into the system folder. 0, -31, -34, -37, -60 (its DllRegisterServer failed), -61 (it does not
    // load) or -104; a DLL without DllRegisterServer answers 0.
    int ReplaceDll(const std::string& fileName);
    // From the installer folder. 0, -31, -34, -37, -60, -61 or -104.
    int ReplaceInstallerOcx(const std::string& fileName);
    // 1 when the browser's add-on settings key of the control was deleted, else 0.
    int EnableAddon(const std::string& fileName);
};

}  // namespace omni
