// The message of a run that cannot read the OS version is a real modal box. An unattended run
// must get past it: here a watcher answers it the way a person would, pressing OK.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "diagnosis/system_probes.h"
#include "platform/text.h"

namespace omni::test {
namespace {

struct SeenBox {
    std::atomic<bool> found{false};
    std::wstring text;
    bool onlyOk = false;
};

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<SeenBox*>(param);
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    int id = GetDlgCtrlID(child);
    if (lstrcmpiW(className, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
        wchar_t text[256] = {};
        GetWindowTextW(child, text, 256);
        seen->text = text;
    }
    if (lstrcmpiW(className, L"Button") == 0 && IsWindowVisible(child) && id != IDOK) seen->onlyOk = false;
    return TRUE;
}

BOOL CALLBACK AnswerIfMessageBox(HWND window, LPARAM param) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    auto* seen = reinterpret_cast<SeenBox*>(param);
    seen->onlyOk = GetDlgItem(window, IDOK) != nullptr;
    EnumChildWindows(window, ReadBoxChild, param);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    seen->found = true;
    return FALSE;
}

// Finds the thread's message box, records its text and buttons, and presses OK.
void AnswerMessageBox(DWORD threadId, SeenBox& seen) {
    for (int attempt = 0; attempt < 600 && !seen.found; ++attempt) {
        EnumThreadWindows(threadId, AnswerIfMessageBox, reinterpret_cast<LPARAM>(&seen));
        Sleep(100);
    }
}

TEST(IncompleteMessage, IsAModalBoxWithTheFixedTextAndOnlyOk) {
    SeenBox seen;
    std::thread watcher(AnswerMessageBox, GetCurrentThreadId(), std::ref(seen));
    CSystemProbes().ShowMessage("R_BASICINCOMPLETE");  // returns only once the box is closed
    watcher.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(Narrow(seen.text), "R_BASICINCOMPLETE");
    EXPECT_TRUE(seen.onlyOk);
}

}  // namespace
}  // namespace omni::test
