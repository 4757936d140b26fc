#include "machine/program_executer.h"

#include <windows.h>

#include <vector>

#include "core/result_codes.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

CProgramExecuter::~CProgramExecuter() = default;

namespace {

constexpr unsigned long kSuccessRebootRequired = 3010;
constexpr unsigned long kSuccessRebootInitiated = 1641;
constexpr wchar_t kEventSource[] = L"Omniprobe";
constexpr DWORD kInstallerFailedEvent = 107;  // the result code the page hears

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

// Starts the process and waits for its end; false when it could not be started.
bool StartAndWait(const wchar_t* program, const std::string& commandLine, unsigned long& exitCode,
                  const std::string& folder = std::string()) {
    std::wstring wide = Widen(commandLine);
    std::vector<wchar_t> writable(wide.begin(), wide.end());  // CreateProcessW may write into it
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started = {};
    const std::wstring directory = Widen(folder);
    if (!CreateProcessW(program, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started))
        return false;
    unique_handle process(started.hProcess);
    unique_handle thread(started.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    exitCode = GetExitCodeProcess(process.get(), &code) ? code : 0;
    return true;
}

}  // namespace

int CProgramExecuter::Run(const std::string& program, const std::string& arguments, unsigned long& exitCode,
                          const std::string& folder) {
    exitCode = 0;
    const std::wstring application = Widen(program);
    const std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    return StartAndWait(application.c_str(), commandLine, exitCode, folder) ? kOk : kSubprocessFailed;
}

int CProgramExecuter::RunInstaller(const std::string& path, const std::string& arguments, unsigned long& exitCode) {
    return Run(path, arguments, exitCode, FolderOf(path));
}

int CProgramExecuter::RunPackage(const std::string& path, unsigned long& exitCode) {
    exitCode = 0;
    const std::string system = SystemFolderWithBackslash();
    const std::wstring msiexec = Widen(system + "msiexec.exe");
    return StartAndWait(msiexec.c_str(), BuildMsiCommandLine(system, path), exitCode, FolderOf(path)) ? kOk
                                                                                                       : kSubprocessFailed;
}

bool InstallerSucceeded(unsigned long exitCode) {
    return exitCode == 0 || exitCode == kSuccessRebootRequired || exitCode == kSuccessRebootInitiated;
}

void LogInstallerFailure(const std::string& installerName, unsigned long exitCode) {
    unique_event_source source(RegisterEventSourceW(nullptr, kEventSource));
    if (!source) return;
    const std::wstring text = Widen(Format("The installer %s ended with exit code %lu (0x%08lX).",
                                           installerName.c_str(), exitCode, exitCode));
    const wchar_t* strings[] = {text.c_str()};
    ReportEventW(source.get(), EVENTLOG_WARNING_TYPE, 0, kInstallerFailedEvent, nullptr, 1, 0, strings, nullptr);
}


std::string BuildMsiCommandLine(const std::string& systemFolder, const std::string& packagePath) {
    bool quoted = packagePath.size() >= 2 && packagePath.front() == '"' && packagePath.back() == '"';
    std::string package = quoted ? packagePath : "\"" + packagePath + "\"";
    return systemFolder + "msiexec.exe /i " + package;
}

std::string SystemFolderWithBackslash() {
    wchar_t buffer[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string folder = Narrow(buffer, length);
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace omni
