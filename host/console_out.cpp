#include "host/console_out.h"

#include <windows.h>

#include "platform/text.h"

namespace omni::host {

namespace {

void Write(DWORD which, const std::string& utf8) {
    HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        std::wstring wide = Widen(utf8);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

}  // namespace

void Print(const std::string& utf8) { Write(STD_OUTPUT_HANDLE, utf8); }
void PrintError(const std::string& utf8) { Write(STD_ERROR_HANDLE, utf8); }

}  // namespace omni::host
