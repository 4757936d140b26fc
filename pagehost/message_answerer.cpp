#include "pagehost/message_answerer.h"

#include <string>

#include "host/console_out.h"
#include "platform/text.h"

namespace omni::page {

namespace {

constexpr DWORD kLookEveryMs = 100;
constexpr int kMessageText = 0xFFFF;  // the static text of a system message box

std::string TextOf(HWND window) {
    wchar_t text[2048] = {};
    GetWindowTextW(window, text, 2048);
    return Narrow(text);
}

// A message box of this process: a dialog with the message box's text and an OK or a Yes button (the
// consent question asks Yes or No). Dialogs of the control without either (the download progress) are
// left alone.
BOOL CALLBACK AnswerIfMessageBox(HWND window, LPARAM lastAnswered) {
    HWND& last = *reinterpret_cast<HWND*>(lastAnswered);
    if (window == last) return TRUE;  // pressed already, still closing
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    HWND text = GetDlgItem(window, kMessageText);
    HWND answer = GetDlgItem(window, IDOK);
    if (!answer) answer = GetDlgItem(window, IDYES);
    if (std::wstring(className) != L"#32770" || !text || !answer) return TRUE;
    host::PrintError("message: " + TextOf(text) + "\n");
    PostMessageW(answer, BM_CLICK, 0, 0);
    last = window;
    return TRUE;
}

}  // namespace

MessageAnswerer::~MessageAnswerer() {
    stop_ = true;
    if (watcher_.joinable()) watcher_.join();
}

void MessageAnswerer::Start() {
    if (!watcher_.joinable()) watcher_ = std::thread([this] { Watch(); });
}

void MessageAnswerer::Watch() {
    HWND lastAnswered = nullptr;
    while (!stop_) {
        Sleep(kLookEveryMs);
        EnumWindows(AnswerIfMessageBox, reinterpret_cast<LPARAM>(&lastAnswered));
    }
}

}  // namespace omni::page
