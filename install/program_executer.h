// Starts a setup program as the current user and waits until it has finished.
#pragma once

#include <string>

namespace omni {

class CProgramExecuter {
public:
    virtual ~CProgramExecuter();

    // Always 0: callers learn the outcome by probing again afterwards.
    int Execute(const std::string& commandLine);
    // Runs "<system folder>\msiexec.exe /i "<package>"" as Execute does. Always 0.
    int ExecuteMsi(const std::string& packagePath);
};

// The msiexec command line for a package; the package path is quoted so that blanks in it
// do not split it into several arguments. systemFolder ends with a backslash.
std::string BuildMsiCommandLine(const std::string& systemFolder, const std::string& packagePath);

// The Windows system folder with a trailing backslash, "" when the system cannot say.
std::string SystemFolderWithBackslash();

}  // namespace omni
