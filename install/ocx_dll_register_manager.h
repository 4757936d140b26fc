// Puts one of the maker's components in place and registers it: fetch (web mode), copy past an
// older copy the browser still has loaded, then self-registration or per-user registration.
#pragma once

#include <string>

namespace omni {

class COCXDLLRegisterManager {
public:
    virtual ~COCXDLLRegisterManager();

    // Kind 4 takes the Z4 folders, any other kind the Z3 ones. 0, -31 (no readable source),
    // -34, -37, -60 or -61.
    int ReplaceOcx(const std::string& fileName, int kind);
    // Into the system folder. 0, -31 (name not plain), -34 or -37; a DLL that does not load or
    // register still answers 0.
    int ReplaceDll(const std::string& fileName);
    // From the installer folder. 0, -31, -34, -37, -60 or -61.
    int ReplaceInstallerOcx(const std::string& fileName);
    // 1 when the browser's add-on settings key of the control was deleted, else 0.
    int EnableAddon(const std::string& fileName);
};

// Copies source to destination, first moving an existing destination aside to movedAside (which is
// then deleted; a file still loaded stays there). retries further attempts after the first.
// 0, or -34 when every attempt failed. pauseMs follows each move-aside.
int CopyPastLoadedFile(const std::string& source, const std::string& destination, const std::string& movedAside,
                       int retries, unsigned pauseMs);

// Loads the module and calls its DllRegisterServer. 0, -61 (no load), -60 (no entry point, or the entry
// point failed).
int SelfRegister(const std::string& path);

}  // namespace omni
