// The page container hosting the real control on the run command's PC (tools/prepare-demo.sh registers
// Omniprobe.ocx there): pages written into a scratch folder, run as programs, judged by what they print.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "tests/support/captured_process.h"
#include "tests/support/parsed_report.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

const char kEmptyReport[] = "<?xml version=\"1.0\" ?><diagnosis></diagnosis>";

std::string DemoFolder() { return TestBinFolder() + "\\..\\demo"; }

// A file of the source tree, which Wine shows on drive Z:.
std::string SourceFile(const std::string& relative) {
    const char* root = std::getenv("OMNI_SOURCE_DIR");
    std::string path = std::string("Z:") + (root ? root : "") + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The example page with the layout script it includes, as the run command gives them.
std::string ExamplePage() {
    return "\"" + SourceFile("examples/report_layout.js") + "\" \"" + SourceFile("examples/retrieve.js") + "\"";
}

// The example page with both scripts it may include, as the run command gives them.
std::string ExamplePageWithSummary() {
    return "\"" + SourceFile("examples/report_layout.js") + "\" \"" + SourceFile("examples/report_summary.js") +
           "\" \"" + SourceFile("examples/retrieve.js") + "\"";
}

// A report's text on one line, as the summary shows it: blanks and line breaks collapse into one blank.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!blank) line += c;
        else if (!line.empty() && line.back() != ' ') line += ' ';
    }
    if (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    return lines;
}

// Every item of a report as one line: group, subject, colour, verdict and offered repair.
std::vector<std::string> ItemRows(const ParsedReport& report) {
    std::vector<std::string> rows;
    for (const std::string& group : report.GroupClasses())
        for (const ParsedNode* item : report.Items(group)) {
            const ParsedNode* solution = item->Element("solutionmsg");
            rows.push_back(group + " | " + item->ChildText("subject") + " | " + item->ChildText("resultcolor") +
                           " | " + item->ChildText("resultmsg") + " | " +
                           (solution ? solution->Attribute("value") + "(" + solution->Attribute("param") + ")" : ""));
        }
    return rows;
}

class PageContainer : public ::testing::Test {
protected:
    CapturedProcess Page(const std::string& arguments, const std::string& script) {
        return Page(arguments + " \"" + Script(script) + "\"");
    }
    CapturedProcess Page(const std::string& arguments) {
        return RunCaptured("\"" + DemoFolder() + "\\omniprobe_page.exe\" --timeout 120000 " + arguments,
                           scratch_.path());
    }
    CapturedProcess Host(const std::string& arguments) {
        return RunCaptured("\"" + DemoFolder() + "\\omniprobe_host.exe\" " + arguments, scratch_.path());
    }
    std::string Script(const std::string& text) {
        WriteBytes(scratch_.file("page.js"), text);
        return scratch_.file("page.js");
    }

    com_init com_;  // the DOM parser that reads reports back
    ScratchFolder scratch_;
};

struct LanguageRow {
    const char* lang;
    const char* hostOption;
    const char* status;
};
void PrintTo(const LanguageRow& row, std::ostream* os) { *os << row.lang; }

class RetrieveInLocalMode : public PageContainer, public ::testing::WithParamInterface<LanguageRow> {};

TEST_P(RetrieveInLocalMode, FiresTheReportTheConsoleHostPrints) {
    const LanguageRow& row = GetParam();
    CapturedProcess page =
        Page(std::string("--query raw --param InstallMode=0 --param Lang=") + row.lang + " " + ExamplePage());
    ASSERT_EQ(page.exitCode, 0u) << page.err;
    EXPECT_EQ(page.err, std::string(row.status) + "\n");
    CapturedProcess host = Host(std::string("--raw ") + row.hostOption);
    ASSERT_EQ(host.exitCode, 0u) << host.err;

    ParsedReport fromPage = ParseReportText(page.out);
    ParsedReport fromHost = ParseReportText(host.out);
    ASSERT_TRUE(fromPage.ok) << page.out;
    ASSERT_TRUE(fromHost.ok) << host.out;
    EXPECT_EQ(fromPage.GroupClasses(), (std::vector<std::string>{"basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"}));
    EXPECT_EQ(ItemRows(fromPage), ItemRows(fromHost));
}

INSTANTIATE_TEST_SUITE_P(EnglishAndKorean, RetrieveInLocalMode,
                         ::testing::Values(LanguageRow{"eng", "", "retrieve 0: Normal"},
                                           LanguageRow{"kor", "--korean", u8"retrieve 0: 정상"}),
                         [](const ::testing::TestParamInfo<LanguageRow>& info) { return std::string(info.param.lang); });

TEST_F(PageContainer, ExamplePageLaysTheReportOutAsTheConsoleHostDoes) {
    CapturedProcess page = Page("--param Lang=eng " + ExamplePage());
    CapturedProcess host = Host("");
    ASSERT_EQ(page.exitCode, 0u) << page.err;
    ASSERT_EQ(host.exitCode, 0u) << host.err;
    EXPECT_EQ(page.out, host.out);
}

struct SummaryRow {
    const char* lang;
    const char* count;   // the count line, with {red} and {total}
    const char* repair;  // the label of a repair whose solution has none
};
void PrintTo(const SummaryRow& row, std::ostream* os) { *os << row.lang; }

class SummaryOfARealReport : public PageContainer, public ::testing::WithParamInterface<SummaryRow> {};

// The summary lists every item of the report the page received, by group, marked "ok" or "!!", and under
// each red item the repair the page offers; the count line and the header come from the same report.
TEST_P(SummaryOfARealReport, ListsTheItemsAndRepairsOfTheRawReport) {
    const SummaryRow& row = GetParam();
    const std::string page = std::string("--param InstallMode=0 --param Lang=") + row.lang + " " + ExamplePageWithSummary();
    CapturedProcess raw = Page("--query raw " + page);
    CapturedProcess summary = Page("--query summary " + page);
    ASSERT_EQ(raw.exitCode, 0u) << raw.err;
    ASSERT_EQ(summary.exitCode, 0u) << summary.err;
    ParsedReport report = ParseReportText(raw.out);
    ASSERT_TRUE(report.ok) << raw.out;

    std::vector<std::string> expected;
    int red = 0, total = 0;
    for (const std::string& group : report.GroupClasses())
        for (const ParsedNode* item : report.Items(group)) {
            const bool isRed = item->ChildText("resultcolor") != "000000";
            total++;
            expected.push_back(std::string(isRed ? "  !! " : "  ok ") + OneLine(item->ChildText("subject")) + ": " +
                               OneLine(item->ChildText("resultmsg")));
            if (!isRed) continue;
            red++;
            const ParsedNode* solution = item->Element("solutionmsg");
            ASSERT_NE(solution, nullptr);
            std::string label = OneLine(solution->text);
            expected.push_back("     -> " + (label.empty() ? row.repair : label) + ": " + solution->Attribute("value") +
                               "(\"" + solution->Attribute("param") + "\")");
        }
    ASSERT_GT(red, 0) << "the run command's PC has red items";

    std::vector<std::string> listed, header;
    for (const std::string& line : Lines(summary.out)) {
        if (line.rfind("  ok ", 0) == 0 || line.rfind("  !! ", 0) == 0 || line.rfind("     -> ", 0) == 0)
            listed.push_back(line);
        else if (listed.empty())
            header.push_back(line);
    }
    EXPECT_EQ(listed, expected) << summary.out;

    std::string count = row.count;
    count.replace(count.find("{red}"), 5, std::to_string(red));
    count.replace(count.find("{total}"), 7, std::to_string(total));
    std::string top;
    for (const std::string& line : header) top += line + "\n";
    EXPECT_NE(top.find("\n" + count + "\n"), std::string::npos) << top;
    for (const ParsedNode* item : report.Items("basic"))  // Windows, the browser and the players
        EXPECT_NE(top.find(OneLine(item->ChildText("lenvmsg"))), std::string::npos) << top;
    // Not asked for colour (the run command asks only when its output is a terminal): no escape codes.
    EXPECT_EQ(summary.out.find('\x1b'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EnglishAndKorean, SummaryOfARealReport,
                         ::testing::Values(SummaryRow{"eng", "{red} of {total} items need attention.", "Repair"},
                                           SummaryRow{"kor", u8"{total}개 항목 중 {red}개 항목에 조치가 필요합니다.",
                                                      u8"조치하기"}),
                         [](const ::testing::TestParamInfo<SummaryRow>& info) { return std::string(info.param.lang); });

TEST_F(PageContainer, RetrieveWithoutWindowCreationAnswersNotInitialisedWithTheEmptyReport) {
    CapturedProcess page = Page("--no-window --param Lang=eng",
                                "function Omniprobe_OnRetrieveComplete(XmlText) { document.write(XmlText + '\\n'); }\n"
                                "document.write(Omniprobe.Retrieve());\n"
                                "close(0);\n");
    ASSERT_EQ(page.exitCode, 0u) << page.err;
    EXPECT_EQ(page.out, std::string(kEmptyReport) + "\n-101");
}

// Before any Retrieve the facts come from the PC itself (64-bit Windows 7 with Internet Explorer 11 here).
TEST_F(PageContainer, FactsBeforeTheFirstRetrieveComeFromThePc) {
    CapturedProcess page = Page("", "document.write(Omniprobe.Is64bitOS() + ' ' + Omniprobe.IsIE10orAbove() + ' ' +"
                                    " Omniprobe.GetIEVersion());\nclose(0);\n");
    ASSERT_EQ(page.exitCode, 0u) << page.err;
    EXPECT_EQ(page.out, "true true 11");
}

TEST_F(PageContainer, IeEventSyntaxBindsTheHandlerToo) {
    CapturedProcess page = Page("--no-window",
                                "function Omniprobe::OnRetrieveComplete(text) { document.write('bound ' + text); }\n"
                                "Omniprobe.Retrieve();\n"
                                "close(6);\n");
    EXPECT_EQ(page.exitCode, 6u) << page.err;
    EXPECT_EQ(page.out, std::string("bound ") + kEmptyReport);
}

TEST_F(PageContainer, ExitCodeAndMessageTellHowThePageEnded) {
    struct Row {
        std::string arguments, script;
        DWORD exitCode;
        std::string message;  // on standard error
    } rows[] = {
        {"", "document.write('before');\nnoSuchFunction();\nclose(0);\n", 4, "page.js:2:"},
        {"--timeout 1500", "document.write('open');\n", 3, "did not close within 1500 ms"},
        {"--classid NOT.Registered.1", "close(0);\n", 1, "cannot be created"},
        {"--param", "close(0);\n", 2, "usage:"},
        // Unattended, the container presses OK on the page's message boxes and says what they showed.
        {"--accept-messages", "alert('Succeeded');\nclose(5);\n", 5, "message: Succeeded"},
    };
    for (const Row& row : rows) {
        CapturedProcess page = Page(row.arguments, row.script);
        EXPECT_EQ(page.exitCode, row.exitCode) << row.arguments << row.script << page.err;
        EXPECT_NE(page.err.find(row.message), std::string::npos) << page.err;
    }
}

TEST_F(PageContainer, ParamsLoadThroughThePropertyBagAsThePageGivesThem) {
    struct Row {
        std::string params, expression, printed;
    } rows[] = {
        {"--param InstallMode=2", "Omniprobe.InstallMode", "2"},
        {"--param InstallMode=7", "Omniprobe.InstallMode", "0"},
        {"--param InstallMode=1", "(Omniprobe.InstallMode = 2, Omniprobe.InstallMode)", "1"},
        {"", "Omniprobe.GetErrorMsg(-80)", u8"취소하였습니다"},
        {"--param Lang=ENG", "Omniprobe.GetErrorMsg(-80)", "User canceled"},
        {"--param Lang=fr", "Omniprobe.GetErrorMsg(-80)", "User canceled"},
    };
    for (const Row& row : rows) {
        CapturedProcess page = Page(row.params, "document.write(" + row.expression + ");\nclose(0);\n");
        EXPECT_EQ(page.exitCode, 0u) << row.params << page.err;
        EXPECT_EQ(page.out, row.printed) << row.params << " " << row.expression;
    }
}

}  // namespace
}  // namespace omni::test
