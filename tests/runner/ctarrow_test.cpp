// The control's side: CTarrow starting tarrow.exe from its own folder, and the log helpers.
#include "probes/tarrow.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "probes/runner_log.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::FileExists;
using test::ReadBytes;
using test::ScratchFolder;
using test::TestBinFolder;
using test::ValuePresent;
using test::WriteBytes;

const char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kTestValue[] = "OmniprobeViewTest";

void DeleteValueInView(REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(kMainKey).c_str(), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, Widen(kTestValue).c_str());
    RegCloseKey(key);
}

// reg.exe writes the real prefix registry, so every test leaves it as it found it.
class CTarrowRegistry : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteValueInView(KEY_WOW64_64KEY);
        DeleteValueInView(KEY_WOW64_32KEY);
    }
};

TEST_F(CTarrowRegistry, RegAddWritesThe64BitViewOnly) {
    const std::string log = NewRunnerLogPath();
    EXPECT_EQ(CTarrow().Run(Format("REG ADD <path>HKLM\\%s<path> /v %s /t REG_SZ /d x /f", kMainKey, kTestValue), log),
              1);
    EXPECT_TRUE(ValuePresent(HKEY_LOCAL_MACHINE, kMainKey, kTestValue, KEY_WOW64_64KEY));
    EXPECT_FALSE(ValuePresent(HKEY_LOCAL_MACHINE, kMainKey, kTestValue, KEY_WOW64_32KEY));
    std::string text;
    EXPECT_TRUE(ReadAndDeleteLog(log, text));
}

TEST_F(CTarrowRegistry, QueryOutputComesBackThroughTheLogWhichIsThenGone) {
    CTarrow tarrow;
    std::string text;
    const std::string addLog = NewRunnerLogPath();
    tarrow.Run(Format("REG ADD <path>HKLM\\%s<path> /v %s /t REG_SZ /d x /f", kMainKey, kTestValue), addLog);
    ReadAndDeleteLog(addLog, text);

    const std::string log = NewRunnerLogPath();
    EXPECT_EQ(tarrow.Run(Format("REG QUERY <path>HKLM\\%s<path> /v %s", kMainKey, kTestValue), log), 1);
    ASSERT_TRUE(ReadAndDeleteLog(log, text));
    EXPECT_NE(text.find(kTestValue), std::string::npos) << text;
    EXPECT_NE(text.find("REG_SZ"), std::string::npos) << text;
    EXPECT_FALSE(FileExists(log));
}

TEST_F(CTarrowRegistry, QueryForAMissingValueDoesNotNameIt) {
    const std::string log = NewRunnerLogPath();
    CTarrow().Run(Format("REG QUERY <path>HKLM\\%s<path> /v %s", kMainKey, kTestValue), log);
    std::string text;
    ASSERT_TRUE(ReadAndDeleteLog(log, text));
    EXPECT_EQ(text.find(kTestValue), std::string::npos) << text;
}

TEST(CTarrowRunner, WithoutTarrowReturnsOneAndLeavesNoLog) {
    ScratchFolder empty;
    const std::string log = empty.file("never.log");
    EXPECT_EQ(CTarrow().Run("argecho.exe hello", log, empty.path()), 1);
    EXPECT_FALSE(FileExists(log));
    std::string text = "kept";
    EXPECT_FALSE(ReadAndDeleteLog(log, text));
    EXPECT_EQ(text, "");
}

TEST(CTarrowRunner, WithoutAFolderStartsNothing) {
    ScratchFolder scratch;
    const std::string log = scratch.file("never.log");
    EXPECT_EQ(CTarrow().Run("argecho.exe hello", log, ""), 1);
    EXPECT_FALSE(FileExists(log));
}

TEST(CTarrowRunner, CommandLineQuotesRunnerLogAndCommand) {
    const std::string line = RunnerCommandLine("C:\\Program Files\\Talvek\\tarrow.exe", "C:\\Temp\\\\A-B.log",
                                               "REG QUERY <path>HKLM\\Software<path> /v x");
    EXPECT_EQ(line,
              "\"C:\\Program Files\\Talvek\\tarrow.exe\" \"C:\\Temp\\\\A-B.log\" "
              "\"REG QUERY <path>HKLM\\Software<path> /v x\"");
}

// A module folder such as "C:\Program Files" must not split the runner's own path.
TEST(CTarrowRunner, RunsFromAFolderWithASpace) {
    ScratchFolder scratch;
    const std::string folder = scratch.file("with space");
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    for (const char* file : {"tarrow.exe", "argecho.exe"})
        ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\" + file).c_str(), Widen(folder + "\\" + file).c_str(), FALSE));
    const std::string log = scratch.file("spaced.log");
    EXPECT_EQ(CTarrow().Run("argecho.exe <path>a b<path>", log, folder), 1);
    const std::string text = ReadBytes(log);
    EXPECT_TRUE(text == "out:argecho.exe \"a b\"\n") << text;
}

// The runner is checked like every file the control runs: a copy changed after signing (one letter of its
// DOS stub) is not started, and the caller finds no log.
TEST(CTarrowRunner, RunnerChangedAfterSigningIsNotStarted) {
    ScratchFolder scratch;
    for (const char* file : {"tarrow.exe", "argecho.exe"})
        ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\" + file).c_str(), Widen(scratch.file(file)).c_str(), FALSE));
    std::string runner = ReadBytes(scratch.file("tarrow.exe"));
    ASSERT_EQ(runner.substr(0x4E, 4), "This");
    runner[0x4E] = 't';
    WriteBytes(scratch.file("tarrow.exe"), runner);
    const std::string log = scratch.file("refused.log");
    EXPECT_EQ(CTarrow().Run("argecho.exe hello", log, scratch.path()), 1);
    EXPECT_FALSE(FileExists(log));
}

TEST(CTarrowRunner, ReturnsOnlyAfterTheCommandHasWritten) {
    ScratchFolder scratch;
    const std::string log = scratch.file("done.log");
    CTarrow().Run("argecho.exe --also-stderr", log);
    std::string text;
    ASSERT_TRUE(ReadAndDeleteLog(log, text));
    EXPECT_TRUE(text == "out:argecho.exe --also-stderr\nerr\nafter\n") << text;
}

}  // namespace
}  // namespace omni
