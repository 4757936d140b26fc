// Retrieve in web mode through the page container, against the local content server: what each call of
// a page answers and fires, and which list files it fetches.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"
#include "tests/support/parsed_report.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

const char kEmptyReport[] = "<?xml version=\"1.0\" ?><diagnosis></diagnosis>";
const char* const kLists[] = {"DLL/dlllist2000.txt", "DLL/dlllist98.txt", "Z3OCX/ocxlistz3.txt",
                              "Z4OCX/ocxlistz4.txt"};

// Prints "event <report on one line>" for each event and "return <code>" for each of two calls.
const char kTwoCallsPage[] =
    "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
    "  document.write('event ' + XmlText.replace(/[\\r\\n]/g, '') + '\\n');\n"
    "}\n"
    "for (var i = 0; i < 2; i++) document.write('return ' + Omniprobe.Retrieve() + '\\n');\n"
    "window.close(0);\n";

// The page's lines with each report reduced to "full" (all five groups) or "empty".
std::vector<std::string> Outline(const std::string& out) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < out.size(); start = end + 1) {
        end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(start, end - start);
        if (line.rfind("event ", 0) == 0) {
            std::string report = line.substr(6);
            ParsedReport parsed = ParseReportText(report);
            if (report == kEmptyReport)
                line = "event empty";
            else if (parsed.ok && parsed.GroupClasses() == std::vector<std::string>{"basic", "ocx_z4", "ocx_z3",
                                                                                      "etcchecklist", "dll"})
                line = "event full";
        }
        lines.push_back(line);
    }
    return lines;
}

struct ListsRow {
    const char* name;
    const char* scenario;  // folder under the content root: the page's ServerURL
    bool z3ListPublished;
    std::vector<std::string> printed;
    std::vector<int> fetches;  // requests of each list, in download order, during the page
};

class WebModeRetrieve : public ::testing::TestWithParam<ListsRow> {
protected:
    static void SetUpTestSuite() { control_ = std::make_unique<RegisteredControl>(); }
    static void TearDownTestSuite() { control_.reset(); }

    // Downloads go to the page's own temporary folder, which the page inherits from here.
    void SetUp() override {
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        ASSERT_TRUE(control_->ok()) << "regsvr32 could not register Omniprobe.ocx";
        SetEnvironmentVariableW(L"TMP", Widen(temp_.path() + "\\").c_str());
        SetEnvironmentVariableW(L"TEMP", Widen(temp_.path() + "\\").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TMP", saved_tmp_.c_str());
        SetEnvironmentVariableW(L"TEMP", saved_temp_.c_str());
    }

    // The lists that name one component each, so that every group of the report has an item.
    static void Publish(const ListsRow& row) {
        const std::string root = ContentRootFolder() + row.scenario + "\\";
        const char* const lines[] = {"OrvaneText.dll 1.0.0.1\r\n", "OrvaneText.dll 1.0.0.1\r\n",
                                     "Marklet3Outer.ocx 1.0.0.5\r\n", "Marklet2.ocx 1.0.0.5\r\n"};
        for (int i = 0; i < 4; ++i) {
            std::string path = root + kLists[i];
            for (char& c : path)
                if (c == '/') c = '\\';
            ASSERT_TRUE(CreateFolders(path.substr(0, path.rfind('\\'))));
            DeleteFileW(Widen(path).c_str());
            if (i != 2 || row.z3ListPublished) WriteBytes(path, lines[i]);
        }
    }
    static std::vector<int> Requests(const ListsRow& row) {
        std::vector<int> counts;
        for (const char* list : kLists) counts.push_back(CountContentRequests("/" + std::string(row.scenario) + "/" + list));
        return counts;
    }

    static std::wstring Environment(const wchar_t* name) {
        wchar_t value[MAX_PATH] = {};
        return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
    }

    static std::unique_ptr<RegisteredControl> control_;
    com_init com_;  // the DOM parser that reads reports back
    ScratchFolder scratch_, temp_;
    std::wstring saved_tmp_ = Environment(L"TMP"), saved_temp_ = Environment(L"TEMP");
};

std::unique_ptr<RegisteredControl> WebModeRetrieve::control_;

TEST_P(WebModeRetrieve, TwoCallsInOnePageFetchTheListsUntilAllFourHaveArrived) {
    const ListsRow& row = GetParam();
    Publish(row);
    std::vector<int> before = Requests(row);
    CapturedProcess page =
        RunPage(TestBinFolder() + "\\omniprobe_page.exe",
                "--timeout 150000 --param InstallMode=1 --param Lang=eng --param ServerURL=" + ContentServerUrl() +
                    row.scenario + "/",
                kTwoCallsPage, scratch_.path());
    ASSERT_EQ(page.exitCode, 0u) << page.err;
    EXPECT_EQ(Outline(page.out), row.printed) << page.out;
    std::vector<int> during = Requests(row);
    for (size_t i = 0; i < during.size(); ++i) during[i] -= before[i];
    EXPECT_EQ(during, row.fetches);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, WebModeRetrieve,
    ::testing::Values(
        ListsRow{"AllPublished", "retrieve_ok", true,
                 {"event full", "return 0", "event full", "return 0"}, {1, 1, 1, 1}},
        // The flag is set only after all four: the second call starts again with the first list.
        ListsRow{"Z3ListMissing", "retrieve_no_z3", false,
                 {"event empty", "return -36", "event empty", "return -36"}, {2, 2, 2, 0}}),
    [](const ::testing::TestParamInfo<ListsRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
