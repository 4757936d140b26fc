// Helpers for the settings tests: running a program with its output captured, and pointing the
// temporary folder (where the runner logs go) at a scratch folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/captured_process.h"

namespace omni::test {

using ProgramOutput = CapturedProcess;

// Runs commandLine and waits for it (a Tarrow run can be slow under emulation); stdout and stderr go
// through files in outputFolder.
inline ProgramOutput RunProgram(const std::string& commandLine, const std::string& outputFolder) {
    return RunCaptured(commandLine, outputFolder, 180000);
}

// While it lives, TMP and TEMP name the given folder, for this process and the ones it starts.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const std::string& folder);
    ~TempFolderOverride();
    TempFolderOverride(const TempFolderOverride&) = delete;
    TempFolderOverride& operator=(const TempFolderOverride&) = delete;

private:
    std::wstring tmp_, temp_;
    bool hadTmp_ = false, hadTemp_ = false;
};

// Names of the *.log files in a folder.
std::vector<std::string> LogFilesIn(const std::string& folder);

// "XXXXXXXX-XXXX-XXXX-XXXXXXXXXXXXXXXX.log" in upper-case hexadecimal.
bool IsRunnerLogName(const std::string& name);

}  // namespace omni::test
