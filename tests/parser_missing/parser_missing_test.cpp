// Retrieve on a PC without the XML parser. The program runs in a throwaway prefix from which
// tools/run-in-throwaway-prefix.sh removed the DOM document class; a watcher thread answers the
// control's question in the page container's process as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "diagnosis/message_catalog.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "report/msxml_ids.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

constexpr UINT kParserQuestionText = 229;
constexpr UINT kToolCaptionText = 248;
constexpr DWORD kQuestionWaitMs = 60000;
const char kScenario[] = "parser_web";

const char kOneCallPage[] =
    "function Omniprobe_OnRetrieveComplete(XmlText) { document.write('event ' + XmlText + '\\n'); }\n"
    "document.write('return ' + Omniprobe.Retrieve() + '\\n');\n"
    "window.close(0);\n";

// Waits for the top-level message box with this caption, in any process, and presses button on it.
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
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(pressed, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &unused);
    return Narrow(text);
}

enum class RanFrom { kNowhere, kBesideThePage, kTempFolder };

struct QuestionRow {
    const char* name;
    const char* lang;  // the page's language, and so the question's
    int installMode;
    int button;
    std::string printed;
    RanFrom ranFrom;
    std::vector<std::string> requests;  // below the scenario folder, during the page
};

const std::vector<std::string> kListRequests = {"DLL/dlllist2000.txt", "DLL/dlllist98.txt", "Z3OCX/ocxlistz3.txt",
                                                "Z4OCX/ocxlistz4.txt"};
const char kEmptyEvent[] = "event <?xml version=\"1.0\" ?><diagnosis></diagnosis>\n";

class MissingParser : public ::testing::TestWithParam<QuestionRow> {
protected:
    static void SetUpTestSuite() { control_ = std::make_unique<RegisteredControl>(); }
    static void TearDownTestSuite() { control_.reset(); }

    // A copy of the container with the installer stand-in as its local installer, a temporary folder
    // of the page's own, and the web scenario: the installer and the four lists.
    void SetUp() override {
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        ASSERT_TRUE(control_->ok()) << "regsvr32 could not register Omniprobe.ocx";
        com_ptr<IUnknown> parser;
        ASSERT_EQ(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_SERVER, IID_IUnknown, parser.put_void()),
                  REGDB_E_CLASSNOTREG)
            << "the XML parser is still registered: run through ctest (tools/run-in-throwaway-prefix.sh)";
        const std::string bin = TestBinFolder();
        ASSERT_TRUE(CreateFolders(page_.file("Installer")));
        ASSERT_TRUE(CopyFileW(Widen(bin + "\\omniprobe_page.exe").c_str(), Widen(Container()).c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(Widen(bin + "\\installer_standin.exe").c_str(),
                              Widen(page_.file("Installer\\msxml3.exe")).c_str(), FALSE));
        const std::string root = ContentRootFolder() + kScenario + "\\";
        for (const char* folder : {"Installer", "DLL", "Z3OCX", "Z4OCX"}) ASSERT_TRUE(CreateFolders(root + folder));
        ASSERT_TRUE(CopyFileW(Widen(bin + "\\installer_standin.exe").c_str(),
                              Widen(root + "Installer\\msxml3.exe").c_str(), FALSE));
        for (std::string list : kListRequests) {
            list.replace(list.find('/'), 1, "\\");
            WriteBytes(root + list, "");
        }
        SetEnvironmentVariableW(L"TMP", Widen(temp_.path() + "\\").c_str());
        SetEnvironmentVariableW(L"TEMP", Widen(temp_.path() + "\\").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TMP", saved_tmp_.c_str());
        SetEnvironmentVariableW(L"TEMP", saved_temp_.c_str());
    }

    std::string Container() const { return page_.file("omniprobe_page.exe"); }
    static std::wstring Environment(const wchar_t* name) {
        wchar_t value[MAX_PATH] = {};
        return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
    }

    static std::unique_ptr<RegisteredControl> control_;
    com_init com_;
    ScratchFolder page_, temp_;
    std::wstring saved_tmp_ = Environment(L"TMP"), saved_temp_ = Environment(L"TEMP");
};

std::unique_ptr<RegisteredControl> MissingParser::control_;

TEST_P(MissingParser, TheQuestionLeadsToTheInstallerOnlyAfterOk) {
    const QuestionRow& row = GetParam();
    SetCatalogLanguage(LanguageFromLang(row.lang));
    const std::string question = LoadMessage(kParserQuestionText);
    const std::wstring caption = Widen(LoadMessage(kToolCaptionText));
    SetCatalogLanguage(kLangKorean);

    const size_t before = ContentRequests().size();
    std::future<std::string> answered = std::async(std::launch::async, AnswerQuestion, caption, row.button);
    CapturedProcess page = RunPage(Container(),
                                   "--timeout 150000 --param Lang=" + std::string(row.lang) + " --param InstallMode=" +
                                       std::to_string(row.installMode) + " --param ServerURL=" + ContentServerUrl() +
                                       kScenario + "/",
                                   kOneCallPage, page_.path(), kQuestionWaitMs + 90000);
    EXPECT_EQ(answered.get(), question);
    EXPECT_EQ(page.exitCode, 0u) << page.err;
    EXPECT_EQ(page.out, row.printed);

    const std::string besideThePage = page_.file("Installer\\msxml3.exe");
    const std::string inTemp = temp_.file("msxml3.exe");
    EXPECT_EQ(ReadBytes(besideThePage + ".log"), row.ranFrom == RanFrom::kBesideThePage ? "\"" + besideThePage + "\" /Q\n" : "");
    EXPECT_EQ(ReadBytes(inTemp + ".log"), row.ranFrom == RanFrom::kTempFolder ? "\"" + inTemp + "\" /Q\n" : "");
    std::vector<std::string> requests = ContentRequests();
    requests.erase(requests.begin(), requests.begin() + before);
    const std::string folder = "/" + std::string(kScenario) + "/";
    for (std::string& path : requests)
        if (path.rfind(folder, 0) == 0) path.erase(0, folder.size());
    EXPECT_EQ(requests, row.requests);
}

std::vector<std::string> InstallerThenLists() {
    std::vector<std::string> requests = {"Installer/msxml3.exe"};
    requests.insert(requests.end(), kListRequests.begin(), kListRequests.end());
    return requests;
}

// Once installed the parser is not tested again; with the class still missing the report cannot be
// composed, and the page receives the empty report from a call that completed.
INSTANTIATE_TEST_SUITE_P(
    Answers, MissingParser,
    ::testing::Values(
        QuestionRow{"CancelInKorean", "kor", 1, IDCANCEL, std::string(kEmptyEvent) + "return -80\n", RanFrom::kNowhere,
                    {}},
        QuestionRow{"OkInLocalMode", "eng", 0, IDOK, std::string(kEmptyEvent) + "return 0\n",
                    RanFrom::kBesideThePage, {}},
        QuestionRow{"OkInWebMode", "eng", 1, IDOK, std::string(kEmptyEvent) + "return 0\n", RanFrom::kTempFolder,
                    InstallerThenLists()}),
    [](const ::testing::TestParamInfo<QuestionRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
