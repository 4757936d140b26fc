// Save, mail, post and the sample viewer through the page container with the real control; the save
// dialog and the message boxes are answered from a watcher thread as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <future>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/message_catalog.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

constexpr int kFileNameBox = 0x47C;  // cmb13 of the explorer-style file dialog
constexpr int kMessageText = 0xFFFF;
const std::regex kDefaultName("[0-9]{12}_Talvek Diagnostic Tool result\\.xml");
const char kPrintEvent[] = "function Omniprobe_OnRetrieveComplete(x) { document.write(x.replace(/[\\r\\n]/g, '') + '\\n'); }\n";

std::string Call(const std::string& member) { return "document.write((Omniprobe." + member + ") + '\\n');\n"; }

// A visible dialog that has the item, or null after 90 s.
HWND WaitForDialogWith(int item) {
    for (DWORD waited = 0; waited < 90000; waited += 100, Sleep(100))
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));)
            if (IsWindowVisible(w) && GetDlgItem(w, item)) return w;
    return nullptr;
}

// Posted rather than sent, so that a question the button opens cannot block the watcher.
void Press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    for (DWORD waited = 0; IsWindow(dialog) && button != IDOK && waited < 30000; waited += 100) Sleep(100);
}

std::string ItemText(HWND dialog, int item) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, item, text, 1024);
    return Narrow(text);
}

// Presses OK on the next message box; answers its text.
std::string AnswerMessageBox() {
    HWND box = WaitForDialogWith(kMessageText);
    std::string text = box ? ItemText(box, kMessageText) : "no message box";
    if (box) Press(box, IDOK);
    return text;
}

std::string RemoveLineBreaks(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }), text.end());
    return text;
}

// A copy of the container in a folder with a blank in its name, with empty lists for local mode.
class Delivery : public ControlPageSuite<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(ControlRegistered()) << "regsvr32 could not register Omniprobe.ocx";
        for (const char* folder : {"", "\\Z4OCX", "\\Z3OCX", "\\DLL"}) CreateDirectoryW(Widen(page_ + folder).c_str(), nullptr);
        for (const char* list : {"\\Z4OCX\\ocxlistz4.txt", "\\Z3OCX\\ocxlistz3.txt", "\\DLL\\dlllist2000.txt"}) WriteBytes(page_ + list, "");
        WriteBytes(page_ + "\\omniprobe_page.exe", ReadBytes(TestBinFolder() + "\\omniprobe_page.exe"));
    }
    CapturedProcess Run(const std::string& script, const std::string& params = "--param InstallMode=0") {
        return RunPage(page_ + "\\omniprobe_page.exe", "--timeout 240000 --param Lang=eng " + params,
                       script + "window.close(0);\n", page_, 300000);
    }

    ScratchFolder scratch_;
    const std::string page_ = scratch_.file("with blank");
    ChildTempFolder temp_;
};

struct SaveRow {
    const char* name;
    const char* typed;     // the file name the user types; null: Cancel
    const char* existing;  // a file already there under savedAs, and the question about it answered
    int answer;            // IDYES, or IDNO: back in the dialog, the user cancels
    bool locked;           // held open without sharing, so it cannot be written
    const char* savedAs;
    int code;
};

const SaveRow kSaveRows[] = {
    // On Windows OFN_FILEMUSTEXIST (flags 0x1800) refused every new name; Wine's save dialog ignores it.
    {"NewNameWithoutExtension", "report", nullptr, 0, false, "report.xml", 0},
    {"UpperCaseExtensionKept", "Upper.XML", nullptr, 0, false, "Upper.XML", 0},
    {"OtherExtensionGetsXml", "other.txt", nullptr, 0, false, "other.txt.xml", 0},
    {"ExistingFileReplacedAfterAsking", "old.xml", "old", IDYES, false, "old.xml", 0},
    // ".xml" is appended after the dialog: the question names the file that is really written.
    {"AppendedNameAskedAbout", "older.txt", "old", IDYES, false, "older.txt.xml", 0},
    {"NoKeepsTheFile", "kept.txt", "old", IDNO, false, "kept.txt.xml", -80},
    {"UnwritableFileIsAnError", "locked.xml", "locked", IDYES, true, "locked.xml", -98},
    {"Cancel", nullptr, nullptr, 0, false, nullptr, -80},
};

// One save dialog per row: the proposed name is checked, the row's name typed, the question answered.
std::string AnswerSaveDialogs(const std::string& folder) {
    for (const SaveRow& row : kSaveRows) {
        HWND dialog = WaitForDialogWith(kFileNameBox);
        if (!dialog) return std::string("no save dialog for ") + row.name;
        if (!std::regex_match(ItemText(dialog, kFileNameBox), kDefaultName)) return "proposed " + ItemText(dialog, kFileNameBox);
        if (row.typed) SetDlgItemTextW(dialog, kFileNameBox, Widen(folder + "\\" + row.typed).c_str());
        Press(dialog, row.typed ? IDOK : IDCANCEL);
        HWND question = row.existing ? WaitForDialogWith(IDYES) : nullptr;
        if (row.existing && !question) return std::string("no question before replacing for ") + row.name;
        if (question && ItemText(question, kMessageText).find(folder + "\\" + row.savedAs + " ") == std::string::npos)
            return std::string(row.name) + " asked: " + ItemText(question, kMessageText);
        if (question) Press(question, row.answer);
        for (DWORD waited = 0; IsWindow(dialog) && waited < 30000; waited += 100) Sleep(100);
        if (row.answer != IDNO) continue;
        HWND again = WaitForDialogWith(kFileNameBox);
        if (!again) return std::string("no save dialog again for ") + row.name;
        Press(again, IDCANCEL);
        for (DWORD waited = 0; IsWindow(again) && waited < 30000; waited += 100) Sleep(100);
    }
    return "";
}

TEST_F(Delivery, SaveToWritesTheReportUnderTheNameTheUserChose) {
    unique_file lock;
    for (const SaveRow& row : kSaveRows) {
        if (row.existing) WriteBytes(scratch_.file(row.savedAs), row.existing);
        if (row.locked) lock.reset(CreateFileW(Widen(scratch_.file(row.savedAs)).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    std::string script = kPrintEvent + Call("SaveTo()") + Call("Retrieve()");
    for (size_t i = 0; i < std::size(kSaveRows); ++i) script += Call("SaveTo()");
    std::future<std::string> user = std::async(std::launch::async, AnswerSaveDialogs, scratch_.path());
    CapturedProcess run = Run(script);
    EXPECT_EQ(user.get(), "");
    lock.reset();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(run.out, m, std::regex("-95\n(<\\?xml.*</diagnosis>)\n0\n((-?[0-9]+\n){8})"))) << run.out;
    std::string codes;
    for (const SaveRow& row : kSaveRows) {
        codes += std::to_string(row.code) + "\n";
        if (!row.savedAs) continue;
        const std::string saved = ReadBytes(scratch_.file(row.savedAs));
        EXPECT_EQ(row.code == 0 ? RemoveLineBreaks(saved) : saved, row.code == 0 ? m[1].str() : row.existing) << row.name;
    }
    EXPECT_EQ(m[2].str(), codes);
}

// Wine installs a Simple MAPI client ("Native Mail Client", winemapi.dll) that drops the attachment
// and starts winebrowser itself. A Windows PC without a mail client has none: the stand-in hides
// Wine's, whose MAPI then says so in a message box and fails, as Windows' stub does. The mail link
// goes to a handler stand-in that records its command line.
class NoMailClient {
public:
    NoMailClient() {
        had_ = ReadString(HKEY_LOCAL_MACHINE, kClients, "", client_) && ReadString(HKEY_CLASSES_ROOT, kMailto, "", mailto_);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, Widen(kClients).c_str(), L"");
        WriteBytes(handler(), ReadBytes(TestBinFolder() + "\\installer_standin.exe"));
        SetString(HKEY_CLASSES_ROOT, kMailto, "", "\"" + handler() + "\" \"%1\"");
    }
    ~NoMailClient() {
        if (!had_) return;
        SetString(HKEY_LOCAL_MACHINE, kClients, "", client_);
        SetString(HKEY_CLASSES_ROOT, kMailto, "", mailto_);
    }
    std::string handler() const { return folder_.file("mail_client.exe"); }

private:
    static constexpr char kClients[] = "Software\\Clients\\Mail";
    static constexpr char kMailto[] = "mailto\\shell\\open\\command";
    ScratchFolder folder_;
    std::string client_, mailto_;
    bool had_;
};

// The mail link of the catalogue's English texts, by RFC 6068: its quotes and the line breaks that the
// catalogue marks "%0A%0D" arrive as %22 and %0D%0A, and nothing in it is a blank.
const std::string kEncodedSubjectAndBody =
    "?subject=Talvek%20Diagnostic%20Tool%20result&body=Attaching%20files%20on%20mail%20client%20other%20than%20"
    "Microsoft%20Outlook%20should%20be%20done%20manually.%0D%0ASave%20the%20diagnosis%20result%20file%20by%20"
    "pressing%20%22Save%20viewer%20environment%20information%22%20button%20and%20attach%20it%20manually%20please."
    "%0D%0A" + std::string(73, '-');

std::vector<std::string> XmlFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    unique_any<HANDLE, FindClose, -1> search(FindFirstFileW(Widen(folder + "\\*.xml").c_str(), &found));
    for (bool more = !!search; more; more = FindNextFileW(search.get(), &found)) names.push_back(Narrow(found.cFileName));
    return names;
}

struct MailRow {
    const char* name;
    const char* mailAddr;  // as a JScript string literal
    const char* linkAddr;  // the address in the link
    bool tempWritable;
    int code;  // -98: the attachment could not be saved; -31: not a plain address; then nothing was mailed
};
void PrintTo(const MailRow& row, std::ostream* os) { *os << row.name; }
class MailTo : public Delivery, public ::testing::WithParamInterface<MailRow> {};

TEST_P(MailTo, SavesTheAttachmentThenOpensTheMailLink) {
    const MailRow& row = GetParam();
    NoMailClient noClient;
    if (!row.tempWritable) {  // the temporary folder's name is taken by a file
        WriteBytes(temp_.file("file"), "x");
        SetEnvironmentVariableW(L"TMP", Widen(temp_.file("file\\")).c_str());
    }
    std::future<std::string> user = std::async(std::launch::async, row.code ? [] { return std::string(); } : AnswerMessageBox);
    CapturedProcess run = Run(std::string(kPrintEvent) + "Omniprobe.MailAddr = '" + row.mailAddr + "';\n" + Call("MailTo()") +
                              Call("Retrieve()") + Call("MailTo()"));
    EXPECT_EQ(user.get().find("MAPI") != std::string::npos, row.code == 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(run.out, m, std::regex("-95\n(<\\?xml.*</diagnosis>)\n0\n(-?[0-9]+)\n"))) << run.out;
    EXPECT_EQ(m[2].str(), std::to_string(row.code));
    std::string received;
    for (DWORD waited = 0; row.code == 0 && waited < 60000 && (received = ReadBytes(noClient.handler() + ".log")).empty(); waited += 200) Sleep(200);
    const std::string link = std::string("mailto:") + row.linkAddr + kEncodedSubjectAndBody;
    EXPECT_EQ(received, row.code ? "" : "\"" + noClient.handler() + "\" \"" + link + "\"\n");
    // The mail link carries no attachment: its copy is gone once the link is handed on.
    EXPECT_EQ(XmlFilesIn(temp_.file("")), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Temp, MailTo,
    ::testing::Values(MailRow{"Writable", "help@example.com", "help@example.com", true, 0},
                      MailRow{"NotWritable", "help@example.com", "", false, -98},
                      MailRow{"PlusAndKoreanEncoded", "first.last+tag@\\uD55C.example", "first.last%2Btag@%ED%95%9C.example",
                              true, 0},
                      // Without an address the user fills in the recipient.
                      MailRow{"NoAddress", "", "", true, 0},
                      MailRow{"ArgumentsInTheAddress", "help@example.com\" /a \"C:\\\\windows\\\\win.ini", "", true, -31},
                      MailRow{"TwoRecipients", "help@example.com,other@example.com", "", true, -31},
                      MailRow{"AngleBrackets", "Help <help@example.com>", "", true, -31}),
    [](const ::testing::TestParamInfo<MailRow>& info) { return std::string(info.param.name); });

// A Simple MAPI client registered as Windows has one: the default of Software\Clients\Mail names the key
// whose "DLLPath" the system's MAPI32.DLL loads (Wine's mapi32 reads the same values).
class MailClientStandin {
public:
    MailClientStandin() : release_(CreateEventW(nullptr, FALSE, FALSE, L"OmniprobeMailClientRelease")) {
        had_ = ReadString(HKEY_LOCAL_MACHINE, kClients, "", client_);
        WriteBytes(dll(), ReadBytes(TestBinFolder() + "\\mapi_client_standin.dll"));
        SetString(HKEY_LOCAL_MACHINE, std::string(kClients) + "\\" + kName, "DLLPath", dll());
        SetString(HKEY_LOCAL_MACHINE, kClients, "", kName);
    }
    ~MailClientStandin() {
        if (had_) SetString(HKEY_LOCAL_MACHINE, kClients, "", client_);
        DeleteTree(HKEY_LOCAL_MACHINE, std::string(kClients) + "\\" + kName);
    }
    std::string dll() const { return folder_.file("mapi_client_standin.dll"); }
    std::string log() const { return ReadBytes(dll() + ".log"); }
    // Lets go of the oldest attachment still held, and waits until it has.
    bool Release(int released) {
        SetEvent(release_.get());
        for (DWORD waited = 0; waited < 30000; waited += 100, Sleep(100)) {
            int count = 0;
            for (size_t at = 0; (at = log().find("released", at)) != std::string::npos; ++at) ++count;
            if (count == released) return true;
        }
        return false;
    }

private:
    static constexpr char kClients[] = "Software\\Clients\\Mail";
    static constexpr char kName[] = "Omniprobe Test Mail";
    ScratchFolder folder_;
    unique_handle release_;
    std::string client_;
    bool had_ = false;
};

// The client holds each attachment after MAPISendMail has returned, as a compose window does: the copy
// stays while it is held, and is gone at the next MailTo or when the control is destroyed.
TEST_F(Delivery, MailToRemovesItsCopyOnceTheMailClientLetsGo) {
    MailClientStandin client;
    std::future<std::string> user = std::async(std::launch::async, [&]() -> std::string {
        for (int sent = 1; sent <= 2; ++sent) {
            HWND alert = WaitForDialogWith(kMessageText);
            if (!alert) return "no alert after mail " + std::to_string(sent);
            const size_t copies = XmlFilesIn(temp_.file("")).size();
            if (copies != 1) return std::to_string(copies) + " copies while the client holds mail " + std::to_string(sent);
            if (!client.Release(sent)) return "the client did not let go of mail " + std::to_string(sent);
            Press(alert, IDOK);
            for (DWORD waited = 0; IsWindow(alert) && waited < 30000; waited += 100) Sleep(100);
        }
        return "";
    });
    CapturedProcess run = Run(kPrintEvent + Call("Retrieve()") + Call("MailTo()") + "alert('sent');\n" + Call("MailTo()") +
                                  "alert('sent');\n",
                              "--param InstallMode=0 --param MailAddr=help@example.com");
    EXPECT_EQ(user.get(), "");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(run.out, m, std::regex("(<\\?xml.*</diagnosis>)\n0\n0\n0\n"))) << run.out;
    EXPECT_EQ(XmlFilesIn(temp_.file("")), std::vector<std::string>{});
    // Each mail is addressed and carries its own copy in the temporary folder; each copy was let go of.
    const std::string sent = "to=help@example.com|subject=Talvek Diagnostic Tool result|file=" + temp_.file("");
    std::istringstream log(client.log());
    std::string line;
    for (int mail = 1; mail <= 2; ++mail) {
        EXPECT_TRUE(std::getline(log, line) && line.rfind(sent, 0) == 0 && line.size() > sent.size() + 4) << line;
        EXPECT_TRUE(std::getline(log, line) && line == "released") << line;
    }
    for (const char* copy : {".1.xml", ".2.xml"}) EXPECT_EQ(RemoveLineBreaks(ReadBytes(client.dll() + copy)), m[1].str()) << copy;
}

// --- The page lets go of the control during its own call

// True once the page has taken the control's window away (the page removed the object), or after 90 s.
bool WaitUntilObjectRemoved() {
    for (DWORD waited = 0; waited < 90000; waited += 100, Sleep(100)) {
        HWND page = FindWindowW(L"OmniprobePage", nullptr);
        if (page && !FindWindowExW(page, nullptr, L"OmniprobeCtrlWindow", nullptr)) return true;
    }
    return false;
}

struct LetGoRow {
    const char* name;
    const char* call;
    int dialogItem;  // what the member's dialog has: the file name box, or a message box's text
};
void PrintTo(const LetGoRow& row, std::ostream* os) { *os << row.name; }
class LetGo : public Delivery, public ::testing::WithParamInterface<LetGoRow> {};

// A timer removes the object while the dialog is open; the user then goes on. Wine's heap checking
// (warn+heap) reports any use of the freed control on standard error.
TEST_P(LetGo, TheControlOutlivesItsCallWhenThePageRemovesItDuringTheDialog) {
    const LetGoRow& row = GetParam();
    NoMailClient noClient;
    const std::string saved = scratch_.file("kept.xml");
    std::future<std::string> user = std::async(std::launch::async, [&]() -> std::string {
        HWND dialog = WaitForDialogWith(row.dialogItem);
        if (!dialog) return "no dialog";
        if (!WaitUntilObjectRemoved()) return "the object was not removed";
        if (row.dialogItem == kFileNameBox) SetDlgItemTextW(dialog, kFileNameBox, Widen(saved).c_str());
        Press(dialog, IDOK);
        return "";
    });
    wchar_t debug[256] = {};
    GetEnvironmentVariableW(L"WINEDEBUG", debug, 256);
    SetEnvironmentVariableW(L"WINEDEBUG", L"warn+heap");
    CapturedProcess run = Run(kPrintEvent + Call("Retrieve()") + "setTimeout(function () { removeObject(); }, 10);\n" +
                                  Call(row.call),
                              "--param InstallMode=0 --param MailAddr=help@example.com");
    SetEnvironmentVariableW(L"WINEDEBUG", debug[0] ? debug : nullptr);
    EXPECT_EQ(user.get(), "");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(run.out, m, std::regex("(<\\?xml.*</diagnosis>)\n0\n0\n"))) << run.out << run.err;
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.err.find("heap"), std::string::npos) << run.err;
    if (row.dialogItem == kFileNameBox) {
        EXPECT_EQ(RemoveLineBreaks(ReadBytes(saved)), m[1].str());
        return;
    }
    std::string received;
    for (DWORD waited = 0; waited < 60000 && (received = ReadBytes(noClient.handler() + ".log")).empty(); waited += 200) Sleep(200);
    EXPECT_EQ(received.find("mailto:help@example.com?subject="), noClient.handler().size() + 4) << received;
}

INSTANTIATE_TEST_SUITE_P(Dialogs, LetGo,
                         ::testing::Values(LetGoRow{"SaveTo", "SaveTo()", kFileNameBox},
                                           LetGoRow{"MailTo", "MailTo()", kMessageText}),
                         [](const ::testing::TestParamInfo<LetGoRow>& info) { return std::string(info.param.name); });

// The container's folder has a blank in its name: unquoted, the system would try "...\with.exe" first.
TEST_F(Delivery, ShowSampleContentRunsTheViewerBesideThePageQuoted) {
    const std::string standin = ReadBytes(TestBinFolder() + "\\installer_standin.exe");
    WriteBytes(scratch_.file("with.exe"), standin);
    CreateDirectoryW(Widen(page_ + "\\Z4Sample").c_str(), nullptr);
    const std::string viewer = page_ + "\\Z4Sample\\viewer.exe";
    WriteBytes(viewer, standin);  // no Z3Sample: that viewer cannot start
    std::future<std::string> user = std::async(std::launch::async, AnswerMessageBox);
    CapturedProcess run = Run(Call("ShowSampleContent(4)") + Call("ShowSampleContent(3)") + Call("ShowSampleContent(7)") +
                              Call("GetDisabledIEAddins().length > 0"));
    EXPECT_EQ(user.get(), "ERROR: Cannot launch viewer process\n");
    EXPECT_EQ(run.out, "0\n-93\n0\ntrue\n");
    std::string log;
    for (DWORD waited = 0; waited < 60000 && (log = ReadBytes(viewer + ".log")).size() < 2 * viewer.size() + 6; waited += 200) Sleep(200);
    EXPECT_EQ(log, "\"" + viewer + "\"\n\"" + viewer + "\"\n");
    EXPECT_EQ(ReadBytes(scratch_.file("with.exe.log")), "");
}

// In web mode the sample page opens in a browser window.
TEST_F(Delivery, ShowSampleContentOpensTheSamplePageInWebMode) {
    ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
    for (const char* list : {"DLL/dlllist2000.txt", "DLL/dlllist98.txt", "Z3OCX/ocxlistz3.txt", "Z4OCX/ocxlistz4.txt"})
        ASSERT_TRUE(PublishContent(std::string("delivery/") + list, ""));
    const std::string page = "/delivery/Z4SampleEng/default.htm";
    const int before = CountContentRequests(page);
    CapturedProcess run = Run(Call("Retrieve()") + Call("ShowSampleContent(4)"),
                              "--param InstallMode=1 --param ServerURL=" + ContentServerUrl() + "delivery/");
    EXPECT_EQ(run.out, "0\n0\n");
    for (int tries = 180; CountContentRequests(page) == before && tries-- > 0;) Sleep(500);
    EXPECT_EQ(CountContentRequests(page), before + 1);
    CloseBrowserWindows();
}

// ServerURL, the post target and the sample page must be http or https: a page may name a local file, a
// share (the system would send the user's credentials to it), a resource or script. Each row is a call
// of one page, in web mode with a ServerURL that names a local folder.
struct AddressCall {
    const char* call;
    const char* answer;
};
const AddressCall kNonWebAddresses[] = {
    {"Retrieve()", "event\n-31"},  // the empty report, and nothing fetched or published
    {"ShowSampleContent(4)", "-31"},
    {"SendInformation('file:///C:/windows/win.ini', 'd', 'a', 'eng')", "false"},
    {"SendInformation('\\\\\\\\127.0.0.1\\\\share\\\\post.asp', 'd', 'a', 'eng')", "false"},
    {"SendInformation('res://ieframe.dll/navcancl.htm', 'd', 'a', 'eng')", "false"},
    {"SendInformation('javascript:alert(1)', 'd', 'a', 'eng')", "false"},
};

TEST_F(Delivery, AddressesOtherThanHttpOrHttpsAreRefused) {
    std::string script = "function Omniprobe_OnRetrieveComplete(x) { document.write('event\\n'); }\n", expected;
    for (const AddressCall& row : kNonWebAddresses) {
        script += Call(row.call);
        expected += std::string(row.answer) + "\n";
    }
    CapturedProcess run = Run(script, "--param InstallMode=1 --param \"ServerURL=file:///" + scratch_.path() + "/\"");
    CloseBrowserWindows();  // none should have opened
    EXPECT_EQ(run.out, expected);
}

// Wine's browser object navigates with post data, so the body is checked where a server receives it.
TEST_F(Delivery, SendInformationPostsTheFormBodyByteForByte) {
    ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
    const std::string name = "post" + std::to_string(GetTickCount()) + ".asp";
    CapturedProcess run = Run(Call("SendInformation('" + ContentServerUrl() + "delivery/" + name +
                                   "', '<r a=\"1\">100% & C++ = ok</r>', '1. \\uC548 +x\\r\\n', 'kor')"));
    EXPECT_EQ(run.out, "true\n");
    std::string body;
    for (int tries = 180; (body = ContentPostBody(name)).empty() && tries-- > 0;) Sleep(500);
    CloseBrowserWindows();
    EXPECT_EQ(body, "txt_diagnosis=<r%20a%3D\"1\">100%25%20%26%20C%2B%2B%20%3D%20ok<%2Fr>"
                    "&txt_ie_addons=1.%20%EC%95%88%20%2Bx%0D%0A&txt_lang=kor");
    EXPECT_EQ(ContentPostType(name), "application/x-www-form-urlencoded");
}

}  // namespace
}  // namespace omni::test
