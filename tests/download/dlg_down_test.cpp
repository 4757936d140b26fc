// The download dialog against the local content server, with real wininet and a real display.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/message_catalog.h"
#include "install/dlg_down.h"
#include "machine/folder_mng.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/support/content_server.h"
#include "tests/support/modal_dialog_driver.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::CloseBy;
using test::WindowText;

std::string Body(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& c : bytes) c = static_cast<char>((state = state * 1103515245 + 12345) >> 16);
    return bytes;
}

// Nobody else holds the file: it opens with no sharing at all.
bool NobodyHolds(const std::string& path) {
    return static_cast<bool>(unique_file(
        CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
}

// Each test fetches into a temporary folder of its own; files on the server carry the program's prefix,
// since other programs share the server.
class Download : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(test::ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        tmp_ = Environment(L"TMP");
        temp_ = Environment(L"TEMP");
        SetEnvironmentVariableW(L"TMP", Widen(temp_folder_.path() + "\\").c_str());
        SetEnvironmentVariableW(L"TEMP", Widen(temp_folder_.path() + "\\").c_str());
        ASSERT_EQ(GetFolderMng().Init(), 0);
        ASSERT_EQ(GetFolderMng().GetTempFolder(), temp_folder_.path() + "\\");
        SetCatalogLanguage(kLangEnglish);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TMP", tmp_.c_str());
        SetEnvironmentVariableW(L"TEMP", temp_.c_str());
        GetFolderMng().Init();
        SetCatalogLanguage(kLangKorean);
    }

    std::string Publish(const std::string& folder, const std::string& name, const std::string& bytes) {
        test::WriteBytes(test::ContentRootFolder() + folder + "\\" + name, bytes);
        return bytes;
    }
    void UseServer(const std::string& mode) { server_ = test::ContentServerUrl(mode); }
    std::string Local(const std::string& name) const { return temp_folder_.file(name); }
    // The dialog's source: name below folder on the server in use, into the temporary folder.
    void Source(CDlgDown& dialog, const std::string& folder, const std::string& name) {
        dialog.SetSource(server_ + folder + name, GetFolderMng().GetTempFolder() + name);
    }

    std::string server_;
    test::ScratchFolder temp_folder_;
    std::wstring tmp_, temp_;
};

// --- How the server answers -------------------------------------------------------------

struct AnswerRow {
    const char* name;
    const char* mode;
    int size;        // -1: not on the server
    bool succeeds;
    int localSize;   // -1: no local file
};
void PrintTo(const AnswerRow& row, std::ostream* os) { *os << row.name; }

const AnswerRow kAnswers[] = {
    {"WholeBodyWithLength", "", 20000, true, 20000},
    {"WholeBodyWithoutLength", "nolength", 20000, true, 20000},
    {"EmptyBodyWithLengthZero", "", 0, true, 0},
    {"EmptyBodyWithoutLength", "nolength", 0, true, 0},
    {"MissingFile", "", -1, false, -1},
    // Nothing of a broken transfer is left where it could pass for the file.
    {"BodyShorterThanAnnounced", "short", 20000, false, -1},
    // Over the cap: read into 32 bits, the announced length would wrap round to the body's own.
    {"LengthPastTheCap", "huge", 20000, false, -1},
};

class FetchAnswer : public Download, public ::testing::WithParamInterface<AnswerRow> {};

TEST_P(FetchAnswer, SucceedsOnlyWhenTheWholeAnnouncedBodyArrived) {
    const AnswerRow& row = GetParam();
    const std::string name = std::string("download-") + row.name + ".bin";
    const std::string body = row.size < 0 ? "" : Publish("DLL", name, Body(row.size));
    UseServer(row.mode);
    CDlgDown dialog;
    Source(dialog, "DLL/", name);
    dialog.SetDisplayName(name);

    const DWORD start = GetTickCount();
    INT_PTR result = dialog.DoModal();
    std::printf("%s: %lu ms\n", row.name, GetTickCount() - start);

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.Succeeded(), row.succeeds);
    if (row.localSize < 0) {
        EXPECT_FALSE(test::FileExists(Local(name)));
    } else {
        std::string local = test::ReadBytes(Local(name));
        EXPECT_EQ(local.size(), static_cast<size_t>(row.localSize));
        EXPECT_TRUE(local == body.substr(0, local.size()));
        EXPECT_TRUE(NobodyHolds(Local(name)));
    }
}

INSTANTIATE_TEST_SUITE_P(Server, FetchAnswer, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A local file that cannot be written -------------------------------------------------

// Under Wine a symbolic link to /dev/full (made by the ctest fixture full_disk_standin) stands in
// for a full disk: the file opens, and every write fails with ERROR_DISK_FULL as on Windows.
std::string FullDiskFolder() {
    const char* build = std::getenv("OMNI_BUILD_DIR");
    std::string folder = build ? std::string("Z:") + build + "/full-disk-standin" : "";
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

enum class Blocker { kFolder, kFileInUse, kFullDisk };

struct BlockerRow {
    const char* name;
    Blocker blocker;
};
void PrintTo(const BlockerRow& row, std::ostream* os) { *os << row.name; }

class UnwritableTarget : public Download, public ::testing::WithParamInterface<BlockerRow> {};

TEST_P(UnwritableTarget, FailsTheFetch) {
    const std::string name = GetParam().blocker == Blocker::kFullDisk
                                 ? std::string("download-fulldisk.bin")
                                 : std::string("download-target-") + GetParam().name + ".bin";
    Publish("DLL", name, Body(20000));
    unique_file holder;
    switch (GetParam().blocker) {
    case Blocker::kFolder:
        CreateDirectoryW(Widen(Local(name)).c_str(), nullptr);
        break;
    case Blocker::kFileInUse:
        // Another program has the file open and shares nothing.
        holder.reset(CreateFileW(Widen(Local(name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        break;
    case Blocker::kFullDisk:
        SetEnvironmentVariableW(L"TMP", Widen(FullDiskFolder() + "\\").c_str());
        ASSERT_EQ(GetFolderMng().Init(), 0);
        ASSERT_NE(GetFileAttributesW(Widen(FullDiskFolder()).c_str()), INVALID_FILE_ATTRIBUTES)
            << "no full_disk_standin fixture";
        break;
    }
    UseServer("");
    CDlgDown dialog;
    Source(dialog, "DLL/", name);
    EXPECT_FALSE(dialog.Fetch());
    EXPECT_FALSE(dialog.Succeeded());
}

const BlockerRow kBlockers[] = {
    {"ExistingFolder", Blocker::kFolder},
    {"FileInUseWithoutSharing", Blocker::kFileInUse},
    {"FullDisk", Blocker::kFullDisk},
};

INSTANTIATE_TEST_SUITE_P(Local, UnwritableTarget, ::testing::ValuesIn(kBlockers),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The user during a slow transfer ----------------------------------------------------

// What the dialog showed once data was coming in.
struct Seen {
    std::string caption, label, button;
    int progress = 0;
    test::WindowImage image;
};

void WaitForProgress(HWND dialog, Seen& seen) {
    HWND progress = GetDlgItem(dialog, IDC_DOWNLOAD_PROGRESS);
    for (int i = 0; i < 200 && seen.progress == 0; ++i, Sleep(100))
        seen.progress = static_cast<int>(SendMessageW(progress, PBM_GETPOS, 0, 0));
    seen.caption = WindowText(dialog);
    seen.label = WindowText(GetDlgItem(dialog, IDC_DOWNLOAD_LABEL));
    seen.button = WindowText(GetDlgItem(dialog, IDC_DOWNLOAD_CANCEL));
}

enum class CancelBy { kButton, kEscapeKey, kCloseBox };

struct CancelRow {
    const char* name;
    CancelBy by;
    LANGID language;
    const char* caption;
    const char* label;
    const char* button;
    const char* screenshot;  // "" for none
};
void PrintTo(const CancelRow& row, std::ostream* os) { *os << row.name; }

const CancelRow kCancels[] = {
    {"CancelButtonInEnglish", CancelBy::kButton, kLangEnglish, "Downloading program",
     "Downloading components Marklet2.ocx", "Cancel", "dialog204_en"},
    {"EscapeKeyInKorean", CancelBy::kEscapeKey, kLangKorean, "파일 다운로드 중",
     "구성 요소를 다운로드하는 중 Marklet2.ocx", "취소", "dialog204_ko"},
    {"CloseBox", CancelBy::kCloseBox, kLangEnglish, "Downloading program", "Downloading components Marklet2.ocx",
     "Cancel", ""},
};

class UserCancels : public Download, public ::testing::WithParamInterface<CancelRow> {};

TEST_P(UserCancels, FailsAndLeavesNoFile) {
    const CancelRow& row = GetParam();
    const std::string name = std::string("download-cancel-") + row.name + ".ocx";
    Publish("Z4OCX", name, Body(200000));
    UseServer("slow");
    SetCatalogLanguage(row.language);
    CDlgDown dialog;
    Source(dialog, "Z4OCX/", name);
    dialog.SetDisplayName("Marklet2.ocx");
    Seen seen;
    bool fetched = true;
    test::DriveResult drive = test::DriveModalDialog(
        [&] {
            fetched = dialog.Fetch();
            return dialog.Succeeded() ? IDOK : IDCANCEL;
        },
        [&](HWND window) {
            WaitForProgress(window, seen);
            seen.image = test::CaptureWindowImage(window);
            if (row.by == CancelBy::kButton)
                PostMessageW(GetDlgItem(window, IDC_DOWNLOAD_CANCEL), BM_CLICK, 0, 0);
            if (row.by == CancelBy::kCloseBox) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        row.by == CancelBy::kEscapeKey ? CloseBy::kEscapeKey : CloseBy::kNone);

    ASSERT_TRUE(drive.shown);
    EXPECT_FALSE(fetched);
    EXPECT_GT(seen.progress, 0);
    EXPECT_EQ(seen.caption, row.caption);
    EXPECT_EQ(seen.label, row.label);
    EXPECT_EQ(seen.button, row.button);
    EXPECT_FALSE(test::FileExists(Local(name)));
    if (*row.screenshot) {
        EXPECT_TRUE(test::SaveImages(seen.image, test::ArtefactFolder(), row.screenshot));
    }
}

INSTANTIATE_TEST_SUITE_P(Slow, UserCancels, ::testing::ValuesIn(kCancels),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Download, OkCommandDuringTheTransferNeitherEndsItNorCountsAsSuccess) {
    const std::string name = "download-okcommand.bin";
    // Eight seconds of data at the slow server's pace: still coming when the command is handled.
    const std::string body = Publish("DLL", name, Body(80000));
    UseServer("slow");
    CDlgDown dialog;
    Source(dialog, "DLL/", name);
    bool openAfterOk = false;
    bool fetched = false;
    test::DriveResult drive = test::DriveModalDialog(
        [&] {
            fetched = dialog.Fetch();
            return IDOK;
        },
        [&](HWND window) {
            DWORD_PTR unused = 0;
            SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_NORMAL, 60000, &unused);
            openAfterOk = IsWindow(window) && IsWindowVisible(window);
        },
        CloseBy::kNone);
    ASSERT_TRUE(drive.shown);
    EXPECT_TRUE(openAfterOk);
    EXPECT_TRUE(fetched);  // completed by the end of the data, not by the command
    EXPECT_TRUE(test::ReadBytes(Local(name)) == body);
}

// --- Only http and https ------------------------------------------------------------------

struct SchemeRow {
    const char* name;
    std::string (*server)();  // the server URL the page gave
};
void PrintTo(const SchemeRow& row, std::ostream* os) { *os << row.name; }

class NotAWebAddress : public Download, public ::testing::WithParamInterface<SchemeRow> {};

// The file is on the server and in the content folder: only the address's scheme keeps it from being fetched.
TEST_P(NotAWebAddress, FetchesNothing) {
    const std::string name = std::string("download-scheme-") + GetParam().name + ".bin";
    Publish("DLL", name, Body(100));
    server_ = GetParam().server();
    CDlgDown dialog;
    Source(dialog, "DLL/", name);
    dialog.SetDisplayName(name);
    EXPECT_FALSE(dialog.Fetch());
    EXPECT_FALSE(test::FileExists(Local(name)));
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, NotAWebAddress,
    ::testing::Values(SchemeRow{"LocalFolder", [] { return "file:///" + test::ContentRootFolder() + "/"; }},
                      SchemeRow{"LeadingBlank", [] { return " " + test::ContentServerUrl(); }},
                      SchemeRow{"ControlCharacter", [] { return test::ContentServerUrl() + "\t"; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Download, OneDialogFetchesSeveralFilesInARowEachAfresh) {
    const std::string first = Publish("DLL", "download-twice-dlllist.txt", "Orvane.dll 1.0.0.1\r\n");
    const std::string second = Publish("Z3OCX", "download-twice-ocxlist.txt", Body(30000));
    const int firstBefore = test::CountContentRequests("/DLL/download-twice-dlllist.txt");
    const int secondBefore = test::CountContentRequests("/slow/Z3OCX/download-twice-ocxlist.txt");
    CDlgDown dialog;
    UseServer("");
    Source(dialog, "DLL/", "download-twice-dlllist.txt");
    dialog.SetDisplayName("DLL list file");
    EXPECT_TRUE(dialog.Fetch());

    UseServer("slow");
    Source(dialog, "Z3OCX/", "download-twice-ocxlist.txt");
    dialog.SetDisplayName("OCX list file");
    std::string label;
    bool fetched = false;
    test::DriveModalDialog(
        [&] {
            fetched = dialog.Fetch();
            return IDOK;
        },
        [&](HWND window) { label = WindowText(GetDlgItem(window, IDC_DOWNLOAD_LABEL)); }, CloseBy::kNone);
    EXPECT_TRUE(fetched);
    EXPECT_EQ(label, "Downloading components OCX list file");

    Source(dialog, "Z3OCX/", "download-twice-absent.txt");
    EXPECT_FALSE(dialog.Fetch());
    EXPECT_FALSE(dialog.Succeeded());

    EXPECT_EQ(test::ReadBytes(Local("download-twice-dlllist.txt")), first);
    EXPECT_TRUE(test::ReadBytes(Local("download-twice-ocxlist.txt")) == second);
    EXPECT_EQ(test::CountContentRequests("/DLL/download-twice-dlllist.txt"), firstBefore + 1);
    EXPECT_EQ(test::CountContentRequests("/slow/Z3OCX/download-twice-ocxlist.txt"), secondBefore + 1);
}

}  // namespace
}  // namespace omni
