// Dialogs 201 (toolbar list) and 202 (Flash verification page) under a real display.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "dialogs/flash_dlg.h"
#include "dialogs/show_tb_dlg.h"
#include "platform/text.h"
#include "probes/popup_detector.h"
#include "resources/resource_ids.h"
#include "tests/support/modal_dialog_driver.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::CloseBy;
using test::DriveModalDialog;
using test::WindowText;

struct Column {
    std::string text;
    int width = 0;
    int format = -1;
};

// What the dialog showed, read back from its windows while it was open.
struct Seen {
    std::string caption;
    std::string intro;
    std::string okText;
    bool okVisible = false;
    bool cancelPresent = false;
    bool cancelVisible = true;
    std::string listClass;
    LONG listStyle = 0;
    LONG listExStyle = 0;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;
    std::string browserClass;  // of control 202
    test::WindowImage image;
};

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return Narrow(name);
}

void LookAtButtons(HWND dialog, Seen& seen) {
    seen.caption = WindowText(dialog);
    seen.okText = WindowText(GetDlgItem(dialog, IDOK));
    seen.okVisible = IsWindowVisible(GetDlgItem(dialog, IDOK));
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    seen.cancelPresent = cancel != nullptr;
    seen.cancelVisible = cancel && IsWindowVisible(cancel);
}

std::string CellText(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
}

void LookAtToolbarList(HWND dialog, Seen& seen) {
    LookAtButtons(dialog, seen);
    seen.intro = WindowText(GetDlgItem(dialog, IDC_TOOLBAR_INTRO));
    HWND list = GetDlgItem(dialog, IDC_TOOLBAR_LIST);
    seen.listClass = ClassOf(list);
    seen.listStyle = GetWindowLongW(list, GWL_STYLE);
    seen.listExStyle = GetWindowLongW(list, GWL_EXSTYLE);
    for (int i = 0;; ++i) {
        wchar_t text[128] = {};
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 128;
        if (!SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column))) break;
        seen.columns.push_back({Narrow(text), column.cx, column.fmt & LVCFMT_JUSTIFYMASK});
    }
    int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        seen.rows.push_back({CellText(list, row, 0), CellText(list, row, 1), CellText(list, row, 2)});
    seen.image = test::CaptureWindowImage(dialog);
}

void LookAtFlashPage(HWND dialog, Seen& seen) {
    LookAtButtons(dialog, seen);
    seen.intro = WindowText(GetDlgItem(dialog, IDC_FLASH_PROMPT));
    if (HWND browser = GetDlgItem(dialog, IDC_FLASH_BROWSER)) seen.browserClass = ClassOf(browser);
    seen.image = test::CaptureWindowImage(dialog);
}

class Dialogs : public ::testing::Test {
protected:
    void TearDown() override { SetCatalogLanguage(kLangKorean); }
};

// --- Dialog 201 ---------------------------------------------------------------------

class ToolbarListDialog : public Dialogs {
protected:
    void SetUp() override {
        const std::string bin = test::TestBinFolder();
        search_ = bin + "\\toolbar_search.dll";
        nocompany_ = bin + "\\toolbar_nocompany.dll";
        AddToolbar("{0A1B2C3D-0000-4000-8000-000000000001}", search_);
        AddToolbar("{0A1B2C3D-0000-4000-8000-000000000002}", nocompany_);
        AddToolbar("{0A1B2C3D-0000-4000-8000-000000000003}", bin + "\\toolbar_plain.dll");
    }
    void AddToolbar(const std::string& clsid, const std::string& server) {
        test::SetString(HKEY_LOCAL_MACHINE, kToolbarKey, clsid, "");
        test::SetString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", server);
    }
    Seen Show(LANGID language, test::DriveResult& drive) {
        SetCatalogLanguage(language);
        Seen seen;
        CShowTBDlg dialog;
        drive = DriveModalDialog([&] { return dialog.DoModal(nullptr); },
                                 [&](HWND window) { LookAtToolbarList(window, seen); }, CloseBy::kOkButton);
        return seen;
    }
    // The image encoder needs the machine's own class registrations back.
    bool SaveOutsideSandbox(const Seen& seen, const std::string& name) {
        sandbox_.reset();
        return test::SaveImages(seen.image, test::ArtefactFolder(), name);
    }

    std::unique_ptr<test::RegistrySandbox> sandbox_ = std::make_unique<test::RegistrySandbox>();
    std::string search_, nocompany_;
};

TEST_F(ToolbarListDialog, ShowsTheToolbarsInThreeColumnsInEnglishAndClosesOnOk) {
    test::DriveResult drive;
    Seen seen = Show(kLangEnglish, drive);
    ASSERT_TRUE(drive.shown);
    EXPECT_EQ(drive.result, IDOK);
    EXPECT_EQ(seen.caption, "Toolbar lists installed on IE");
    EXPECT_TRUE(seen.intro ==
                "List below is of toolbar programs which is installed on Internet Explorer.\n"
                "(you need to check by yourself if the program blocks popups.)")
        << seen.intro;
    EXPECT_EQ(seen.okText, "OK");
    EXPECT_TRUE(seen.okVisible);
    EXPECT_TRUE(seen.cancelPresent);
    EXPECT_FALSE(seen.cancelVisible);

    EXPECT_EQ(seen.listClass, "SysListView32");
    EXPECT_EQ(seen.listStyle & LVS_TYPEMASK, LVS_REPORT);
    // The dialog manager draws a bordered control of a modern dialog with the sunken client edge.
    EXPECT_TRUE((seen.listStyle & WS_BORDER) || (seen.listExStyle & WS_EX_CLIENTEDGE));
    ASSERT_EQ(seen.columns.size(), 3u);
    EXPECT_EQ(seen.columns[0].text, "File name");
    EXPECT_EQ(seen.columns[0].width, 220);
    EXPECT_EQ(seen.columns[1].text, "Company name");
    EXPECT_EQ(seen.columns[1].width, 100);
    EXPECT_EQ(seen.columns[2].text, "Explanation");
    EXPECT_EQ(seen.columns[2].width, 350);
    for (const Column& column : seen.columns) EXPECT_EQ(column.format, LVCFMT_LEFT);

    ASSERT_EQ(seen.rows.size(), 2u);
    EXPECT_EQ(seen.rows[0], (std::vector<std::string>{search_, "Orvane Toolbar Works", "Orvane Search Toolbar"}));
    EXPECT_EQ(seen.rows[1], (std::vector<std::string>{nocompany_, "", "Nameless Popup Stopper"}));
    EXPECT_TRUE(SaveOutsideSandbox(seen, "dialog201_en"));
}

TEST_F(ToolbarListDialog, ShowsKoreanTextsWhenTheCatalogueIsKorean) {
    test::DriveResult drive;
    Seen seen = Show(kLangKorean, drive);
    ASSERT_TRUE(drive.shown);
    EXPECT_EQ(drive.result, IDOK);
    EXPECT_EQ(seen.caption, "IE에 설치된 툴바 목록");
    EXPECT_TRUE(seen.intro ==
                "아래는 인터넷 익스플로러에 설치된 툴바 프로그램 목록입니다.\n"
                "(팝업을 차단하는 프로그램인지는 직접 확인하셔야 합니다.)")
        << seen.intro;
    EXPECT_EQ(seen.okText, "확인");
    EXPECT_FALSE(seen.cancelVisible);
    ASSERT_EQ(seen.columns.size(), 3u);
    EXPECT_EQ(seen.columns[0].text, "파일이름");
    EXPECT_EQ(seen.columns[1].text, "회사이름");
    EXPECT_EQ(seen.columns[2].text, "설명");
    EXPECT_EQ(seen.columns[0].width, 220);
    EXPECT_EQ(seen.columns[1].width, 100);
    EXPECT_EQ(seen.columns[2].width, 350);
    EXPECT_EQ(seen.rows.size(), 2u);
    EXPECT_TRUE(SaveOutsideSandbox(seen, "dialog201_ko"));
}

TEST_F(ToolbarListDialog, ClosesOnEscape) {
    SetCatalogLanguage(kLangEnglish);
    CShowTBDlg dialog;
    test::DriveResult drive =
        DriveModalDialog([&] { return dialog.DoModal(nullptr); }, [](HWND) {}, CloseBy::kEscapeKey);
    ASSERT_TRUE(drive.shown);
    EXPECT_EQ(drive.result, IDCANCEL);
}

TEST_F(Dialogs, ToolbarListWithoutToolbarKeyIsEmpty) {
    test::RegistrySandbox sandbox;
    SetCatalogLanguage(kLangEnglish);
    Seen seen;
    CShowTBDlg dialog;
    test::DriveResult drive = DriveModalDialog(
        [&] { return dialog.DoModal(nullptr); },
        [&](HWND window) {
            HWND list = GetDlgItem(window, IDC_TOOLBAR_LIST);
            seen.rows.resize(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        },
        CloseBy::kOkButton);
    ASSERT_TRUE(drive.shown);
    EXPECT_TRUE(seen.rows.empty());
}

// --- Dialog 202 ---------------------------------------------------------------------

TEST(FlashSamplePage, IsOnTheServerInWebModeAndALocalFileOtherwise) {
    EXPECT_EQ(FlashSamplePageAddress(kInstallModeWeb, "http://content.example/talvek/", "C:\\Player\\"),
              "http://content.example/talvek/flashsample.htm");
    EXPECT_EQ(FlashSamplePageAddress(kInstallModeLocal, "http://content.example/talvek/", "C:\\Player\\"),
              "C:\\Player\\flashsample.htm");
    EXPECT_EQ(FlashSamplePageAddress(kInstallModeLocalLinks, "http://content.example/talvek/", "C:\\Player\\"),
              "C:\\Player\\flashsample.htm");
}

class FlashPageDialog : public Dialogs {
protected:
    Seen Show(LANGID language, CloseBy closeBy, test::DriveResult& drive) {
        SetCatalogLanguage(language);
        Seen seen;
        drive = DriveModalDialog([&] { return dialog_.DoModal(nullptr); },
                                 [&](HWND window) { LookAtFlashPage(window, seen); }, closeBy);
        return seen;
    }

    test::ScratchFolder folder_;
    CFlashDlg dialog_{FlashSamplePageAddress(kInstallModeLocal, "", folder_.path() + "\\")};
};

TEST_F(FlashPageDialog, OpensInEnglishNavigatesAndClosesOnOk) {
    test::WriteBytes(folder_.file(kFlashSamplePage), "<html><body>Flash sample</body></html>");
    test::DriveResult drive;
    Seen seen = Show(kLangEnglish, CloseBy::kOkButton, drive);
    ASSERT_TRUE(drive.shown);
    EXPECT_EQ(drive.result, IDOK);
    EXPECT_EQ(seen.caption, "Verification page of the flash content");
    EXPECT_EQ(seen.intro, "Press OK button as you see the proper messages above");
    EXPECT_EQ(seen.okText, "OK");
    EXPECT_TRUE(seen.okVisible);
    EXPECT_TRUE(seen.cancelPresent);
    EXPECT_FALSE(seen.cancelVisible);
    EXPECT_TRUE(test::SaveImages(seen.image, test::ArtefactFolder(), "dialog202_en"));
    EXPECT_EQ(dialog_.pageAddress(), folder_.path() + "\\flashsample.htm");
    // Either the browser came up and took the page, or it could not be created at all.
    if (SUCCEEDED(dialog_.createResult())) {
        // Control 202 is the browser itself, no longer the place the template kept for it.
        EXPECT_NE(seen.browserClass, "");
        EXPECT_NE(seen.browserClass, "Static");
        EXPECT_NE(dialog_.navigateResult(), E_PENDING);
    } else {
        EXPECT_EQ(dialog_.navigateResult(), E_PENDING);
    }
    std::printf("WebBrowser (%s): create 0x%08lx, navigate 0x%08lx\n", seen.browserClass.c_str(),
                static_cast<unsigned long>(dialog_.createResult()), static_cast<unsigned long>(dialog_.navigateResult()));
}

TEST_F(FlashPageDialog, OpensInKoreanAndClosesOnEscape) {
    test::DriveResult drive;
    Seen seen = Show(kLangKorean, CloseBy::kEscapeKey, drive);
    ASSERT_TRUE(drive.shown);
    EXPECT_EQ(drive.result, IDCANCEL);
    EXPECT_EQ(seen.caption, "플래시 콘텐츠 확인 페이지");
    EXPECT_EQ(seen.intro, "위에 메시지가 제대로 보이면 확인 버튼을 누르십시오");
    EXPECT_EQ(seen.okText, "확인");
    EXPECT_FALSE(seen.cancelVisible);
    EXPECT_TRUE(test::SaveImages(seen.image, test::ArtefactFolder(), "dialog202_ko"));
}

TEST_F(FlashPageDialog, OpensTwiceInARow) {
    test::DriveResult first, second;
    Show(kLangEnglish, CloseBy::kOkButton, first);
    Show(kLangEnglish, CloseBy::kEscapeKey, second);
    EXPECT_EQ(first.result, IDOK);
    EXPECT_EQ(second.result, IDCANCEL);
}

}  // namespace
}  // namespace omni
