// tarrow.exe <log-file> <command-line>
// Runs one command line from a 64-bit process, its standard output and error captured in the log file.
// "<path>" in the command line stands for a double quote, since the whole command arrives as one quoted argument.
#include <windows.h>

#include "runner/tarrow_text.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFrameworkFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLogNotCreated = 3;

// The runner uses no C++ library at all (only the system's), which keeps it a small download.

// Memory from the process heap, freed when the owner goes.
class HeapText {
public:
    explicit HeapText(size_t bytes) : p_(static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes))) {}
    ~HeapText() {
        if (p_) HeapFree(GetProcessHeap(), 0, p_);
    }
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
    char* get() const { return p_; }

private:
    char* p_;
};

// Console output goes through WriteConsoleW; redirected output is UTF-8.
void Write(DWORD which, const wchar_t* text) {
    HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    const int length = lstrlenW(text);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text, static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    HeapText bytes(static_cast<size_t>(n));
    if (!bytes.get()) return;
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.get(), n, nullptr, nullptr);
    WriteFile(out, bytes.get(), static_cast<DWORD>(n), &written, nullptr);
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

    const wchar_t* logPath = argv[1];
    Write(STD_OUTPUT_HANDLE, logPath);
    Write(STD_OUTPUT_HANDLE, L"\n");

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    Handle log(CreateFileW(logPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.valid()) {
        Write(STD_ERROR_HANDLE, L"tarrow: cannot create the log file ");
        Write(STD_ERROR_HANDLE, logPath);
        Write(STD_ERROR_HANDLE, L"\n");
        return kExitLogNotCreated;
    }
    SetFilePointer(log.get(), 0, nullptr, FILE_END);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();

    // The runtime's copy of the argument is writable, as CreateProcessW needs.
    wchar_t* command = argv[2];
    tarrow::ReplacePlaceholdersInPlace(command);
    // The current folder is inherited from the browser (often Downloads or the desktop); a "reg.exe"
    // planted there must not run in our place. Our own folder and the system folders are still searched.
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        Handle processHandle(process.hProcess);
        Handle threadHandle(process.hThread);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    return kExitOk;
}
