#include "tests/settings/settings_test_support.h"

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {
constexpr DWORD kTimeoutMs = 180000;

unique_file CreateInheritable(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return unique_file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CloseSearch(HANDLE search) { FindClose(search); }
using unique_find = unique_any<HANDLE, CloseSearch, -1>;

bool ReadVariable(const wchar_t* name, std::wstring& value) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    if (n == 0 || n >= 32768) return false;
    value.assign(buffer, n);
    return true;
}
}  // namespace

ProgramOutput RunProgram(const std::string& commandLine, const std::string& outputFolder) {
    ProgramOutput result;
    const std::string outPath = outputFolder + "\\program-out.txt";
    const std::string errPath = outputFolder + "\\program-err.txt";
    {
        unique_file out = CreateInheritable(outPath);
        unique_file err = CreateInheritable(errPath);
        if (!out || !err) return result;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        std::wstring command = Widen(commandLine);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
            return result;
        unique_handle processHandle(process.hProcess);
        unique_handle threadHandle(process.hThread);
        result.started = true;
        if (WaitForSingleObject(processHandle.get(), kTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(processHandle.get(), 99);
            result.exitCode = 99;
        } else {
            GetExitCodeProcess(processHandle.get(), &result.exitCode);
        }
    }
    result.out = ReadBytes(outPath);
    result.err = ReadBytes(errPath);
    DeleteFileW(Widen(outPath).c_str());
    DeleteFileW(Widen(errPath).c_str());
    return result;
}

TempFolderOverride::TempFolderOverride(const std::string& folder) {
    hadTmp_ = ReadVariable(L"TMP", tmp_);
    hadTemp_ = ReadVariable(L"TEMP", temp_);
    SetEnvironmentVariableW(L"TMP", Widen(folder).c_str());
    SetEnvironmentVariableW(L"TEMP", Widen(folder).c_str());
}

TempFolderOverride::~TempFolderOverride() {
    SetEnvironmentVariableW(L"TMP", hadTmp_ ? tmp_.c_str() : nullptr);
    SetEnvironmentVariableW(L"TEMP", hadTemp_ ? temp_.c_str() : nullptr);
}

std::vector<std::string> LogFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    unique_find search(FindFirstFileW(Widen(folder + "\\*.log").c_str(), &found));
    if (!search) return names;
    do {
        names.push_back(Narrow(std::wstring(found.cFileName)));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

bool IsRunnerLogName(const std::string& name) {
    const std::string shape = "XXXXXXXX-XXXX-XXXX-XXXXXXXXXXXXXXXX.log";
    if (name.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'X') {
            if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'A' && name[i] <= 'F'))) return false;
        } else if (name[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace omni::test
