#include "probes/tarrow.h"

#include <windows.h>

#include "core/result_codes.h"
#include "machine/publisher_trust.h"
#include "platform/handles.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni {

namespace {
const char kRunnerFile[] = "tarrow.exe";
}  // namespace

std::string RunnerCommandLine(const std::string& runnerPath, const std::string& logPath,
                              const std::string& commandLine) {
    // The runner's path is quoted too: unquoted, a folder with a space would split it and shift the arguments.
    return Format("\"%s\" \"%s\" \"%s\"", runnerPath.c_str(), logPath.c_str(), commandLine.c_str());
}

int CTarrow::Run(const std::string& commandLine, const std::string& logPath) {
    return Run(commandLine, logPath, CurrentModuleFolder());
}

int CTarrow::Run(const std::string& commandLine, const std::string& logPath, const std::string& runnerFolder) {
    // Never search elsewhere: without our own folder there is no runner to start.
    if (runnerFolder.empty()) return 1;
    const std::string runnerPath = runnerFolder + "\\" + kRunnerFile;
    // Checked like every other file the control runs, and held until it has ended: a runner that is not
    // the maker's is not started, which the caller sees as a missing log.
    LockedFile runner;
    if (OpenTrustedFile(runnerPath, runner) != kOk) return 1;
    std::wstring command = Widen(RunnerCommandLine(runnerPath, logPath, commandLine));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;  // no console window, no output of its own
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), INFINITE);
    return 1;
}

}  // namespace omni
