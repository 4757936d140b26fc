// Retrieve in web mode through the page container, against the local content server: what each call of
// a page answers and fires, and which list files it fetches.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"
#include "tests/support/parsed_report.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

// In download order, each naming one component so that every group of a report has an item.
const char* const kLists[][2] = {{"DLL/dlllist2000.txt", "OrvaneText.dll 1.0.0.1\r\n"},
                                 {"DLL/dlllist98.txt", "OrvaneText.dll 1.0.0.1\r\n"},
                                 {"Z3OCX/ocxlistz3.txt", "Marklet3Outer.ocx 1.0.0.5\r\n"},
                                 {"Z4OCX/ocxlistz4.txt", "Marklet2.ocx 1.0.0.5\r\n"}};

// The page's lines with each report reduced to "full" (all five groups) or "empty".
std::vector<std::string> Outline(const std::string& out) {
    const std::vector<std::string> allGroups = {"basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"};
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line == "event <?xml version=\"1.0\" ?><diagnosis></diagnosis>") line = "event empty";
        if (line.rfind("event <", 0) == 0 && ParseReportText(line.substr(6)).GroupClasses() == allGroups)
            line = "event full";
        lines.push_back(line);
    }
    return lines;
}

struct ListsRow {
    const char* name;
    const char* scenario;  // folder under the content root: the page's ServerURL
    bool z3ListPublished;
    std::vector<std::string> printed;
    std::vector<int> fetches;  // requests of each list during the page
};
void PrintTo(const ListsRow& row, std::ostream* os) { *os << row.name; }

class WebModeRetrieve : public ControlPageSuite<::testing::TestWithParam<ListsRow>> {
protected:
    void SetUp() override {
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        ASSERT_TRUE(ControlRegistered()) << "regsvr32 could not register Omniprobe.ocx";
    }

    static std::vector<int> Requests(const ListsRow& row) {
        std::vector<int> counts;
        for (auto& list : kLists) counts.push_back(CountContentRequests("/" + std::string(row.scenario) + "/" + list[0]));
        return counts;
    }

    com_init com_;  // the DOM parser that reads reports back
    ScratchFolder scratch_;
    ChildTempFolder temp_;  // where the page's downloads go
};

TEST_P(WebModeRetrieve, TwoCallsInOnePageFetchTheListsUntilAllFourHaveArrived) {
    const ListsRow& row = GetParam();
    for (auto& list : kLists) {
        const std::string path = std::string(row.scenario) + "/" + list[0];
        if (row.z3ListPublished || &list != &kLists[2])
            ASSERT_TRUE(PublishContent(path, list[1])) << path;
        else
            WithdrawContent(path);
    }
    std::vector<int> before = Requests(row);
    CapturedProcess page = RunPage(TestBinFolder() + "\\omniprobe_page.exe",
                                   "--timeout 150000 --param InstallMode=1 --param Lang=eng --param ServerURL=" +
                                       ContentServerUrl() + row.scenario + "/",
                                   RetrievePage(2), scratch_.path());
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
