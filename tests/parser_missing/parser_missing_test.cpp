// Retrieve on a PC without the XML parser. The program runs in a throwaway prefix from which
// tools/run-in-throwaway-prefix.sh removed the DOM document class; a watcher thread answers the
// control's question in the page container's process as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "report/msxml_ids.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"

namespace omni::test {
namespace {

constexpr DWORD kQuestionWaitMs = 180000;  // the container starts and diagnoses first: slow under emulation
const char kScenario[] = "parser_web/";
const std::vector<std::string> kInstallerThenLists = {"Installer/msxml3.exe", "DLL/dlllist2000.txt", "DLL/dlllist98.txt",
                                                      "Z3OCX/ocxlistz3.txt", "Z4OCX/ocxlistz4.txt"};

// Waits for a top-level message box with this caption, in any process, and presses button on it.
// Answers the text it showed, or what went wrong.
std::string AnswerQuestion(const std::wstring& caption, int button) {
    HWND box = nullptr;
    for (DWORD waited = 0; !(box = FindWindowW(L"#32770", caption.c_str())) || !IsWindowVisible(box); waited += 100) {
        if (waited >= kQuestionWaitMs) return "no message box within " + std::to_string(kQuestionWaitMs) + " ms";
        Sleep(100);
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);  // the text of every message box is static 0xFFFF
    HWND pressed = GetDlgItem(box, button);
    if (!pressed) return "no button " + std::to_string(button);
    // Pressed again while it stays: a busy process may take longer than the click's own wait.
    for (DWORD_PTR unused = 0; IsWindow(box); Sleep(500))
        SendMessageTimeoutW(pressed, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &unused);
    return Narrow(text);
}

// Local mode runs the installer beside the page; web mode from a folder of its own below the temporary
// folder, which goes once it has ended.
enum class RanFrom { kNowhere, kBesideThePage, kOwnFolderInTemp };

struct QuestionRow {
    const char* name;
    const char* lang;  // the page's language, and so the question's
    int installMode;
    int button;
    int code;  // what Retrieve returns; every row's event carries the empty report
    RanFrom ranFrom;
    bool downloads;  // the installer and then the lists
};
void PrintTo(const QuestionRow& row, std::ostream* os) { *os << row.name; }

class MissingParser : public ::testing::TestWithParam<QuestionRow> {
protected:
    static void SetUpTestSuite() { control_ = std::make_unique<RegisteredControl>(); }
    static void TearDownTestSuite() { control_.reset(); }

    // A copy of the container with the installer stand-in as its local installer, and the web scenario.
    void SetUp() override {
        com_ptr<IUnknown> parser;
        ASSERT_EQ(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_SERVER, IID_IUnknown, parser.put_void()),
                  REGDB_E_CLASSNOTREG)
            << "the XML parser is still registered: run through ctest (tools/run-in-throwaway-prefix.sh)";
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        ASSERT_TRUE(control_->ok()) << "regsvr32 could not register Omniprobe.ocx";
        const std::string standin = ReadBytes(TestBinFolder() + "\\installer_standin.exe");
        CreateDirectoryW(Widen(page_.file("Installer")).c_str(), nullptr);
        WriteBytes(page_.file("Installer\\msxml3.exe"), standin);
        ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\omniprobe_page.exe").c_str(),
                              Widen(page_.file("omniprobe_page.exe")).c_str(), FALSE));
        for (const std::string& path : kInstallerThenLists)
            ASSERT_TRUE(PublishContent(kScenario + path, path == kInstallerThenLists[0] ? standin : "")) << path;
    }

    static std::unique_ptr<RegisteredControl> control_;
    com_init com_;
    ScratchFolder page_;
    ScratchFolder log_;     // where the installer stand-in records its run
    ChildTempFolder temp_;  // where the page's downloads go
};

std::unique_ptr<RegisteredControl> MissingParser::control_;

TEST_P(MissingParser, TheQuestionLeadsToTheInstallerOnlyAfterOk) {
    const QuestionRow& row = GetParam();
    const bool korean = std::string(row.lang) == "kor";
    const std::string question = korean ? "XML 파서가 설치되어 있지 않습니다. 확인을 누르면 XML파서 프로그램을 설치합니다. "
                                        : "XML parser is not installed. Press OK to install XML parser";
    const std::wstring caption = Widen(korean ? "시청환경 점검 도구" : "Talvek Diagnostic Tool");

    const size_t before = ContentRequests().size();
    SetEnvironmentVariableW(L"OMNI_STANDIN_LOG", Widen(log_.file("installer.log")).c_str());
    std::future<std::string> answered = std::async(std::launch::async, AnswerQuestion, caption, row.button);
    CapturedProcess page = RunPage(page_.file("omniprobe_page.exe"),
                                   "--timeout 150000 --url https://desk.example/diagnose.html --param Lang=" +
                                       std::string(row.lang) +
                                       " --param InstallMode=" + std::to_string(row.installMode) +
                                       " --param ServerURL=" + ContentServerUrl() + kScenario,
                                   RetrievePage(1), page_.path(), kQuestionWaitMs + 90000);
    EXPECT_EQ(answered.get(), question);
    EXPECT_EQ(page.exitCode, 0u) << page.err;
    EXPECT_EQ(page.out, "event <?xml version=\"1.0\" ?><diagnosis></diagnosis>\nreturn " + std::to_string(row.code) + "\n");

    SetEnvironmentVariableW(L"OMNI_STANDIN_LOG", nullptr);
    const std::string ran = ReadBytes(log_.file("installer.log"));
    switch (row.ranFrom) {
    case RanFrom::kNowhere:
        EXPECT_EQ(ran, "");
        break;
    case RanFrom::kBesideThePage:
        EXPECT_EQ(ran, "\"" + page_.file("Installer\\msxml3.exe") + "\" /Q\n");
        break;
    case RanFrom::kOwnFolderInTemp: {
        const std::string start = "\"" + temp_.file("omni-dl-"), end = "\\msxml3.exe\" /Q\n";
        ASSERT_EQ(ran.size(), start.size() + 32 + end.size()) << ran;
        EXPECT_EQ(ran.substr(0, start.size()), start) << ran;
        EXPECT_EQ(ran.substr(start.size() + 32), end) << ran;
        EXPECT_EQ(GetFileAttributesW(Widen(ran.substr(1, start.size() + 31)).c_str()), INVALID_FILE_ATTRIBUTES);
        break;
    }
    }
    std::vector<std::string> requests, expected;  // other programs share the server
    const std::string folder = std::string("/") + kScenario;
    std::vector<std::string> log = ContentRequests();
    for (size_t i = before; i < log.size(); ++i)
        if (log[i].rfind(folder, 0) == 0) requests.push_back(log[i].substr(folder.size()));
    if (row.downloads) expected = kInstallerThenLists;
    EXPECT_EQ(requests, expected);
}

// Once installed the parser is not tested again; with the class still missing the report cannot be
// composed, and the page receives the empty report from a call that completed.
INSTANTIATE_TEST_SUITE_P(
    Answers, MissingParser,
    ::testing::Values(QuestionRow{"CancelInKorean", "kor", 1, IDCANCEL, -80, RanFrom::kNowhere, false},
                      QuestionRow{"OkInLocalMode", "eng", 0, IDOK, 0, RanFrom::kBesideThePage, false},
                      QuestionRow{"OkInWebMode", "eng", 1, IDOK, 0, RanFrom::kOwnFolderInTemp, true}),
    [](const ::testing::TestParamInfo<QuestionRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
