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

CapturedProcess RunCaptured(const std::string& commandLine, const std::string& outputFolder, DWORD timeoutMs) {
    CapturedProcess result;
    const std::string outPath = outputFolder + "\\captured-out.txt";
    const std::string errPath = outputFolder + "\\captured-err.txt";
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
