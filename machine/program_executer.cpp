#include "machine/program_executer.h"

#include <windows.h>

#include <vector>

#include "core/result_codes.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

CProgramExecuter::~CProgramExecuter() = default;

namespace {

// Starts the process and waits for its end; false when it could not be started.
bool StartAndWait(const wchar_t* program, const std::string& commandLine, unsigned long& exitCode) {
    std::wstring wide = Widen(commandLine);
    std::vector<wchar_t> writable(wide.begin(), wide.end());  // CreateProcessW may write into it
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    unique_handle process(started.hProcess);
    unique_handle thread(started.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    exitCode = GetExitCodeProcess(process.get(), &code) ? code : 0;
    return true;
}

}  // namespace

int CProgramExecuter::Execute(const std::string& commandLine) {
    unsigned long exitCode = 0;
    return StartAndWait(nullptr, commandLine, exitCode) ? kOk : kSubprocessFailed;
}

int CProgramExecuter::Run(const std::string& program, const std::string& arguments, unsigned long& exitCode) {
    exitCode = 0;
    const std::wstring application = Widen(program);
    return StartAndWait(application.c_str(), "\"" + program + "\" " + arguments, exitCode) ? kOk : kSubprocessFailed;
}

int CProgramExecuter::ExecuteMsi(const std::string& packagePath) {
    return Execute(BuildMsiCommandLine(SystemFolderWithBackslash(), packagePath));
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
