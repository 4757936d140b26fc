// Starts the 64-bit command runner (tarrow.exe beside this module) and waits for it.
#pragma once

#include <string>

namespace omni {

class CTarrow {
public:
    virtual ~CTarrow() = default;

    // Runs commandLine ("<path>" standing for a double quote) with its output captured in logPath, when
    // the runner is signed by a publisher the control trusts. Always 1: a runner that cannot start, or is
    // refused, shows itself to the caller as a missing log.
    int Run(const std::string& commandLine, const std::string& logPath);

    // The same with the runner taken from runnerFolder instead of the module's own folder.
    int Run(const std::string& commandLine, const std::string& logPath, const std::string& runnerFolder);
};

// The process command line that starts the runner: its path, the log and the command, each quoted.
std::string RunnerCommandLine(const std::string& runnerPath, const std::string& logPath,
                              const std::string& commandLine);

}  // namespace omni
