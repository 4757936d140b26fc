// Puts one of the maker's components in place and registers it: fetch (web mode), check its publisher and
// that it is the component asked for in a version no older than the one needed, copy past an older copy
// the browser still has loaded, then its own self-registration or the per-user registration. Whatever
// fails after the copy puts the old copy back.
#pragma once

#include <string>

#include "core/version.h"

namespace omni {

class COCXDLLRegisterManager {
public:
    virtual ~COCXDLLRegisterManager();

    // Kind 4 takes the Z4 folders, any other kind the Z3 ones; listed: the version the list asks for (the
    // copy at the destination, if newer, is the floor instead). 0, -31 (no readable source), -34, -37,
    // -60, -61, -101 (the object's folders were never set up), -104 (not signed by a trusted publisher)
    // or -106 (another file, or an older version).
    int ReplaceOcx(const std::string& fileName, int kind, const Version& listed);
    // Into the system folder. 0, -31, -34, -37, -60 (its DllRegisterServer failed), -61 (it does not
    // load), -101, -104 or -106; a DLL without DllRegisterServer answers 0.
    int ReplaceDll(const std::string& fileName, const Version& listed);
    // From the installer folder. 0, -31, -34, -37, -60, -61, -101, -104 or -106.
    int ReplaceInstallerOcx(const std::string& fileName, const Version& listed);
    // 1 when the browser's add-on settings key of the control was deleted, else 0.
    int EnableAddon(const std::string& fileName);
};

}  // namespace omni
