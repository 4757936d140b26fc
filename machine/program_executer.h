// Starts a setup program as the current user and waits until it has finished.
#pragma once

#include <string>

namespace omni {

class CProgramExecuter {
public:
    virtual ~CProgramExecuter();

    // Starts program, a full path (nothing is searched for it), with arguments, and waits until it has
    // finished; it runs in folder, or in the caller's current folder when that is empty. 0 with its exit
    // code, or -93 when it could not be started.
    int Run(const std::string& program, const std::string& arguments, unsigned long& exitCode,
            const std::string& folder = std::string());
    // Runs an installer (.exe) or, through the system's msiexec, a package (.msi) as Run does, in the
    // installer's own folder: the folder that the browser happens to have as its current one (Downloads,
    // the desktop) is never searched for the DLLs the installer loads.
    int RunInstaller(const std::string& path, const std::string& arguments, unsigned long& exitCode);
    int RunPackage(const std::string& path, unsigned long& exitCode);
};

// Whether an installer's exit code means it succeeded: 0, or success with a restart still needed (3010) or
// already started (1641).
bool InstallerSucceeded(unsigned long exitCode);
// The control keeps no log of its own: an installer that failed is recorded as a warning of the source
// "Omniprobe" in the system's Application event log, with its name and exit code, for the support desk.
void LogInstallerFailure(const std::string& installerName, unsigned long exitCode);

// The msiexec command line for a package; the package path is quoted so that blanks in it
// do not split it into several arguments. systemFolder ends with a backslash.
std::string BuildMsiCommandLine(const std::string& systemFolder, const std::string& packagePath);

// The Windows system folder with a trailing backslash, "" when the system cannot say.
std::string SystemFolderWithBackslash();

}  // namespace omni
