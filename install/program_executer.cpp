#include "install/program_executer.h"

#include <windows.h>

#include <vector>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

CProgramExecuter::~CProgramExecuter() = default;

int CProgramExecuter::Execute(const std::string& commandLine) {
    std::wstring wide = Widen(commandLine);
    std::vector<wchar_t> writable(wide.begin(), wide.end());  // CreateProcessW may write into it
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return 0;  // callers learn the outcome by probing again
    }
    unique_handle process(started.hProcess);
    unique_handle thread(started.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    return 0;
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
