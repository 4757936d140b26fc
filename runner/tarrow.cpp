// tarrow.exe <log-file> <command-line>
// Runs one command line from a 64-bit process, its standard output and error captured in the log file.
// "<path>" in the command line stands for a double quote, since the whole command arrives as one quoted argument.
#include <windows.h>

#include <string>

#include "runner/tarrow_text.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFrameworkFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLogNotCreated = 3;

// Console output goes through WriteConsoleW; redirected output is UTF-8.
void Write(DWORD which, const std::wstring& text) {
    HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Our "framework" is the process's own start-up: without a module or arguments nothing can run.
    if (GetModuleHandleW(nullptr) == nullptr || argv == nullptr) {
        Write(STD_OUTPUT_HANDLE, tarrow::kFrameworkFailedMessage);
        return kExitFrameworkFailed;
    }
    if (argc < 3) {
        Write(STD_ERROR_HANDLE, L"tarrow: usage: tarrow.exe <log-file> <command-line>\n");
        return kExitUsage;
    }

    const std::wstring logPath = argv[1];
    Write(STD_OUTPUT_HANDLE, logPath + L"\n");

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    Handle log(CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.valid()) {
        Write(STD_ERROR_HANDLE, L"tarrow: cannot create the log file " + logPath + L"\n");
        return kExitLogNotCreated;
    }
    SetFilePointer(log.get(), 0, nullptr, FILE_END);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();

    std::wstring command = tarrow::ReplacePlaceholders(argv[2]);
    // The current folder is inherited from the browser (often Downloads or the desktop); a "reg.exe"
    // planted there must not run in our place. Our own folder and the system folders are still searched.
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        Handle processHandle(process.hProcess);
        Handle threadHandle(process.hThread);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    return kExitOk;
}
