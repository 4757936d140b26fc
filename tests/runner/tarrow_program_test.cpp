// tarrow.exe itself, started the way the control starts it, with its own output captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/text.h"
#include "runner/tarrow_text.h"
#include "tests/support/captured_process.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::CapturedProcess;
using test::FileExists;
using test::ReadBytes;
using test::RunCaptured;
using test::ScratchFolder;
using test::TestBinFolder;
using test::WriteBytes;

std::string Tarrow() { return "\"" + TestBinFolder() + "\\tarrow.exe\""; }

class TarrowProgram : public ::testing::Test {
protected:
    CapturedProcess Run(const std::string& log, const std::string& command) {
        return RunCaptured(Tarrow() + " \"" + log + "\" \"" + command + "\"", scratch_.path());
    }

    ScratchFolder scratch_;
};

TEST_F(TarrowProgram, KeyPathBetweenPlaceholdersArrivesQuoted) {
    const std::string log = scratch_.file("quoted.log");
    const CapturedProcess p = Run(log, "argecho.exe QUERY <path>HKLM\\Software\\Some Key<path> /v x");
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.exitCode, 0u);
    const std::string text = ReadBytes(log);
    EXPECT_TRUE(text == "out:argecho.exe QUERY \"HKLM\\Software\\Some Key\" /v x\n") << text;
}

TEST_F(TarrowProgram, CommandWithoutPlaceholderRunsUnchanged) {
    const std::string log = scratch_.file("plain.log");
    const CapturedProcess p = Run(log, "argecho.exe a  b <pat h> path> %PATH% <path");
    EXPECT_EQ(p.exitCode, 0u);
    const std::string text = ReadBytes(log);
    EXPECT_TRUE(text == "out:argecho.exe a  b <pat h> path> %PATH% <path\n") << text;
}

TEST_F(TarrowProgram, LogHoldsOutputAndErrorInWritingOrder) {
    const std::string log = scratch_.file("both.log");
    const CapturedProcess p = Run(log, "argecho.exe --also-stderr");
    EXPECT_EQ(p.exitCode, 0u);  // argecho itself ends with 7
    const std::string text = ReadBytes(log);
    EXPECT_TRUE(text == "out:argecho.exe --also-stderr\nerr\nafter\n") << text;
}

TEST_F(TarrowProgram, PrintsOnlyTheLogPathItself) {
    const std::string log = scratch_.file("printed.log");
    const CapturedProcess p = Run(log, "argecho.exe --also-stderr");
    EXPECT_TRUE(p.out == log + "\n") << p.out;
    EXPECT_EQ(p.err, "");
}

TEST_F(TarrowProgram, SecondRunLeavesOnlyItsOwnOutput) {
    const std::string log = scratch_.file("twice.log");
    Run(log, "argecho.exe a first run with a much longer line than the second");
    const CapturedProcess p = Run(log, "argecho.exe second");
    EXPECT_EQ(p.exitCode, 0u);
    const std::string text = ReadBytes(log);
    EXPECT_TRUE(text == "out:argecho.exe second\n") << text;
}

TEST_F(TarrowProgram, ExistingLogIsEmptiedEvenWhenNothingRuns) {
    const std::string log = scratch_.file("stale.log");
    WriteBytes(log, "stale output");
    const CapturedProcess p = Run(log, "omniprobe-no-such-program.exe /x");
    EXPECT_EQ(p.exitCode, 0u);
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ(ReadBytes(log), "");
}

TEST_F(TarrowProgram, MissingProgramGivesEmptyLogAndSuccess) {
    const std::string log = scratch_.file("missing.log");
    const CapturedProcess p = Run(log, "omniprobe-no-such-program.exe <path>a b<path>");
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.exitCode, 0u);
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ(ReadBytes(log), "");
    EXPECT_TRUE(p.out == log + "\n") << p.out;
}

TEST_F(TarrowProgram, PercentSignsInTheLogPathArePrintedLiterally) {
    const std::string log = scratch_.file("100%s %d%%n.log");
    const CapturedProcess p = Run(log, "argecho.exe percent");
    EXPECT_EQ(p.exitCode, 0u);
    EXPECT_TRUE(p.out == log + "\n") << p.out;
    EXPECT_TRUE(FileExists(log));
}

TEST_F(TarrowProgram, MissingArgumentsEndWithAOneLineMessage) {
    for (const std::string& command : {Tarrow(), Tarrow() + " \"" + scratch_.file("only.log") + "\""}) {
        const CapturedProcess p = RunCaptured(command, scratch_.path());
        ASSERT_TRUE(p.started);
        EXPECT_NE(p.exitCode, 0u) << command;
        EXPECT_FALSE(p.err.empty()) << command;
        EXPECT_EQ(std::count(p.err.begin(), p.err.end(), '\n'), 1) << p.err;
        EXPECT_EQ(p.err.back(), '\n');
    }
    EXPECT_FALSE(FileExists(scratch_.file("only.log")));
}

TEST_F(TarrowProgram, LogInAMissingFolderEndsWithAMessage) {
    const std::string log = scratch_.file("no-such-folder\\x.log");
    const CapturedProcess p = Run(log, "argecho.exe never");
    ASSERT_TRUE(p.started);
    EXPECT_NE(p.exitCode, 0u);
    EXPECT_EQ(std::count(p.err.begin(), p.err.end(), '\n'), 1) << p.err;
    EXPECT_NE(p.err.find(log), std::string::npos) << p.err;
}

// Makes a folder the process's current one while it lives, as the browser's is when it starts Tarrow.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        wchar_t previous[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        SetCurrentDirectoryW(Widen(folder).c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(previous_.c_str()); }

private:
    std::wstring previous_;
};

TEST_F(TarrowProgram, RegExePlantedInTheCurrentFolderIsNotRun) {
    const std::string home = scratch_.file("home"), current = scratch_.file("current");
    CreateDirectoryW(Widen(home).c_str(), nullptr);
    CreateDirectoryW(Widen(current).c_str(), nullptr);
    const auto copy = [](const std::string& from, const std::string& to) {
        return CopyFileW(Widen(TestBinFolder() + "\\" + from).c_str(), Widen(to).c_str(), FALSE) != FALSE;
    };
    ASSERT_TRUE(copy("tarrow.exe", home + "\\tarrow.exe"));
    ASSERT_TRUE(copy("argecho.exe", current + "\\reg.exe"));  // prints "out:" when it runs
    const std::string log = scratch_.file("planted.log");
    CurrentFolder inCurrent(current);
    const CapturedProcess p =
        RunCaptured("\"" + home + "\\tarrow.exe\" \"" + log + "\" \"REG QUERY HKLM\\Software /v x\"", scratch_.path());
    ASSERT_TRUE(p.started);
    const std::string text = ReadBytes(log);
    EXPECT_EQ(text.find("out:"), std::string::npos) << text;
}

// The replacement rule on its own, without starting anything.
TEST(TarrowPlaceholders, EveryPlaceholderBecomesOneQuoteAndIsNotRescanned) {
    EXPECT_EQ(tarrow::ReplacePlaceholders(L"<path>a b<path>"), L"\"a b\"");
    EXPECT_EQ(tarrow::ReplacePlaceholders(L"<path><path>"), L"\"\"");
    EXPECT_EQ(tarrow::ReplacePlaceholders(L"<pa<path>th>"), L"<pa\"th>");
    EXPECT_EQ(tarrow::ReplacePlaceholders(L"<PATH>"), L"<PATH>");
    EXPECT_EQ(tarrow::ReplacePlaceholders(L"no marks"), L"no marks");
    EXPECT_EQ(tarrow::ReplacePlaceholders(L""), L"");
}

}  // namespace
}  // namespace omni
