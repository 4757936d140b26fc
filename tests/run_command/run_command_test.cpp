// The run command's console host, run as a program on the PC that tools/prepare-demo.sh lays out:
// lists beside the host, three current controls, one a version behind, one absent, two DLLs present
// (one without version information) and one absent.
#include <gtest/gtest.h>

#include <string>

#include "platform/handles.h"
#include "tests/support/captured_process.h"
#include "tests/support/parsed_report.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

std::string DemoFolder() { return TestBinFolder() + "\\..\\demo"; }

class RunCommand : public ::testing::Test {
protected:
    CapturedProcess Host(const std::string& arguments) {
        return RunCaptured("\"" + DemoFolder() + "\\omniprobe_host.exe\" " + arguments, scratch_.path());
    }
    // The plain raw run, which several cases read: once a program (a diagnosis in a process of its own
    // costs seconds under emulation).
    const CapturedProcess& RawRun() {
        static const CapturedProcess raw = Host("--raw");
        return raw;
    }

    struct Row {
        std::string subject, colour, result, value, param;
    };
    static Row RowOf(const ParsedNode* item) {
        const ParsedNode* solution = item->Element("solutionmsg");
        return {item->ChildText("subject"), item->ChildText("resultcolor"), item->ChildText("resultmsg"),
                solution ? solution->Attribute("value") : "", solution ? solution->Attribute("param") : ""};
    }
    static void ExpectRow(const ParsedNode* item, const Row& expected) {
        Row row = RowOf(item);
        EXPECT_EQ(row.subject, expected.subject);
        EXPECT_EQ(row.colour, expected.colour) << row.subject;
        EXPECT_EQ(row.result, expected.result) << row.subject;
        EXPECT_EQ(row.value, expected.value) << row.subject;
        EXPECT_EQ(row.param, expected.param) << row.subject;
    }

    com_init com_;  // the DOM parser that reads the report back
    ScratchFolder scratch_;
};

TEST_F(RunCommand, PrintsAWholeReportWithEveryGroupGraded) {
    const CapturedProcess& host = RawRun();
    ASSERT_TRUE(host.started);
    ASSERT_EQ(host.exitCode, 0u) << host.err;
    EXPECT_NE(host.err.find("run 0 (run state 5), report 0"), std::string::npos) << host.err;
    ParsedReport report = ParseReportText(host.out);
    ASSERT_TRUE(report.ok) << host.out;
    EXPECT_EQ(report.GroupClasses(), (std::vector<std::string>{"basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"}));

    auto basic = report.Items("basic");
    ASSERT_EQ(basic.size(), 4u);
    EXPECT_EQ(basic[0]->ChildText("lenvmsg").rfind("Windows 7", 0), 0u);
    EXPECT_EQ(basic[1]->ChildText("lenvmsg"), "Version(11.0.9600.18376)");
    EXPECT_EQ(basic[2]->ChildText("lenvmsg"), "Version(12.0.7601.18840)");
    EXPECT_EQ(basic[3]->ChildText("lenvmsg"), "Version(10)");
    for (const ParsedNode* item : basic) EXPECT_EQ(item->ChildText("resultcolor"), "000000");

    auto z4 = report.Items("ocx_z4");
    ASSERT_EQ(z4.size(), 3u);
    ExpectRow(z4[0], {"Marklet2.ocx", "000000", "Normal - version(1.0.0.5)", "InstallOcx", ""});
    ExpectRow(z4[1], {"Quadrel.ocx", "FF0000", "Newer version is available - version(1.0.0.4)", "InstallOcx",
                      "Quadrel.ocx"});
    ExpectRow(z4[2], {"QuadrelU.ocx", "FF0000", "ActiveX is not installed", "InstallOcx", "QuadrelU.ocx"});
    EXPECT_EQ(report.Subjects("ocx_z3"), (std::vector<std::string>{"Marklet3Outer.ocx", "Marklet3Inner.ocx"}));

    // Windows 7 on 64-bit Windows with the 9.11 browser: all ten settings rows.
    auto etc = report.Items("etcchecklist");
    ASSERT_EQ(etc.size(), 10u);
    EXPECT_EQ(RowOf(etc[6]).subject, "IE 32bit tab setup (64bit OS, IE 9 or higher)");
    EXPECT_EQ(RowOf(etc[6]).param, "EnabledIEWin32In64OS");

    auto dll = report.Items("dll");
    ASSERT_EQ(dll.size(), 3u);
    ExpectRow(dll[0], {"OrvaneCodec.dll", "000000", "Normal - version(6.0.2900.5512)", "", ""});
    // Present without version information: found, version 0.0.0.0, nothing to install.
    ExpectRow(dll[1], {"OrvaneText.dll", "000000", "Normal - version(0.0.0.0)", "", ""});
    ExpectRow(dll[2], {"OrvaneNet.dll", "FF0000", "DLL is not found", "InstallDll", "OrvaneNet.dll"});
}

TEST_F(RunCommand, KoreanOptionPrintsKoreanTexts) {
    CapturedProcess host = Host("--korean --raw");
    ASSERT_EQ(host.exitCode, 0u) << host.err;
    ParsedReport report = ParseReportText(host.out);
    ASSERT_TRUE(report.ok);
    auto basic = report.Items("basic");
    ASSERT_EQ(basic.size(), 4u);
    EXPECT_EQ(basic[0]->ChildText("subject"), u8"윈도우 운영체제 (Win 98 SE 이상)");
    auto z4 = report.Items("ocx_z4");
    ASSERT_FALSE(z4.empty());
    EXPECT_EQ(z4[0]->ChildText("resultmsg"), u8"정상 - 버전(1.0.0.5)");
}

TEST_F(RunCommand, SavedFileHoldsThePrintedReportAsUtf8) {
    std::string path = scratch_.file("report.xml");
    CapturedProcess host = Host("--korean --raw --save \"" + path + "\"");
    ASSERT_EQ(host.exitCode, 0u) << host.err;
    std::string saved = ReadBytes(path);
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    // The printed text is the saved one, whatever line break each ends with.
    auto trimmed = [](std::string text) { return text.erase(text.find_last_not_of("\r\n") + 1); };
    EXPECT_EQ(trimmed(saved), trimmed(host.out));
    ParsedReport fromFile = ParseReportFile(path);
    ASSERT_TRUE(fromFile.ok);
    EXPECT_EQ(fromFile.Items("basic")[0]->ChildText("subject"), u8"윈도우 운영체제 (Win 98 SE 이상)");
}

TEST_F(RunCommand, ReadableLayoutOnlyAddsWhiteSpaceBetweenElements) {
    const CapturedProcess& raw = RawRun();
    CapturedProcess readable = Host("");
    ASSERT_EQ(readable.exitCode, 0u) << readable.err;
    EXPECT_GT(readable.out.size(), raw.out.size());
    std::string squeezed;  // the readable text without the line breaks and indents it added
    for (size_t i = 0; i < readable.out.size(); ++i) {
        squeezed += readable.out[i];
        if (readable.out[i] == '>') {
            size_t next = readable.out.find_first_not_of(" \n", i + 1);
            if (next != std::string::npos && readable.out[next] == '<') i = next - 1;
        }
    }
    // The declaration's line break belongs to the report text itself.
    std::string rawSqueezed = raw.out;
    rawSqueezed.erase(rawSqueezed.find("?>\n") + 2, 1);
    EXPECT_EQ(squeezed, rawSqueezed);
}

TEST_F(RunCommand, BadArgumentsGiveUsageAndStatusTwo) {
    for (const char* arguments : {"--bogus", "--save", "--lang"}) {
        CapturedProcess host = Host(arguments);
        EXPECT_EQ(host.exitCode, 2u) << arguments;
        EXPECT_NE(host.err.find("usage:"), std::string::npos) << arguments;
        EXPECT_TRUE(host.out.empty()) << arguments;
    }
}

TEST_F(RunCommand, SaveIntoAMissingFolderFailsAndPrintsNoReport) {
    CapturedProcess host = Host("--save \"" + scratch_.file("missing\\report.xml") + "\"");
    EXPECT_EQ(host.exitCode, 1u);
    EXPECT_TRUE(host.out.empty());
    EXPECT_FALSE(FileExists(scratch_.file("missing\\report.xml")));
}

TEST_F(RunCommand, BenchmarkPrintsBothMediansAndTheirRatio) {
    CapturedProcess bench =
        RunCaptured("\"" + DemoFolder() + "\\diagnosis_benchmark.exe\" 1", scratch_.path(), 300000);
    ASSERT_EQ(bench.exitCode, 0u) << bench.out;
    EXPECT_NE(bench.out.find("median Run + BuildReport:"), std::string::npos);
    EXPECT_NE(bench.out.find("median tab queries"), std::string::npos);
    EXPECT_NE(bench.out.find("ratio:"), std::string::npos);
}

}  // namespace
}  // namespace omni::test
