#include "tests/support/captured_process.h"

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {
unique_file CreateInheritable(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return unique_file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

unique_handle StartWithOutputIn(const std::string& commandLine, const std::string& outPath, const std::string& errPath,
                                std::wstring* environment) {
    unique_file out = CreateInheritable(outPath);
    unique_file err = CreateInheritable(errPath);
    if (!out || !err) return unique_handle();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::wstring command = Widen(commandLine);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, environment ? CREATE_UNICODE_ENVIRONMENT : 0,
                        environment ? &(*environment)[0] : nullptr, nullptr, &startup, &process))
        return unique_handle();
    CloseHandle(process.hThread);
    return unique_handle(process.hProcess);
}

CapturedProcess RunCaptured(const std::string& commandLine, const std::string& outputFolder, DWORD timeoutMs) {
    CapturedProcess result;
    const std::string outPath = outputFolder + "\\captured-out.txt";
    const std::string errPath = outputFolder + "\\captured-err.txt";
    {
        unique_handle processHandle = StartWithOutputIn(commandLine, outPath, errPath);
        if (!processHandle) return result;
        result.started = true;
        if (WaitForSingleObject(processHandle.get(), timeoutMs) != WAIT_OBJECT_0) {
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

}  // namespace omni::test
