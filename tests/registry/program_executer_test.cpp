#include "machine/program_executer.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::FileExists;
using test::ReadBytes;
using test::ScratchFolder;
using test::TestBinFolder;

// What the started program sees: its command line split by the system's own rules.
std::vector<std::string> ArgumentsOf(const std::string& commandLine) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(Widen(commandLine).c_str(), &count);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(Narrow(std::wstring(arguments[i])));
    LocalFree(arguments);
    return out;
}

TEST(MsiCommandLine, KeepsAPackagePathWithBlanksInOneArgument) {
    std::string line = BuildMsiCommandLine("C:\\windows\\system32\\", "C:\\Program Files\\Orvane Setup\\viewer.msi");
    EXPECT_EQ(line, "C:\\windows\\system32\\msiexec.exe /i \"C:\\Program Files\\Orvane Setup\\viewer.msi\"");
    std::vector<std::string> expected = {"C:\\windows\\system32\\msiexec.exe", "/i",
                                         "C:\\Program Files\\Orvane Setup\\viewer.msi"};
    EXPECT_EQ(ArgumentsOf(line), expected);
}

TEST(MsiCommandLine, DoesNotQuoteAnAlreadyQuotedPackageTwice) {
    EXPECT_EQ(BuildMsiCommandLine("C:\\windows\\system32\\", "\"C:\\a b\\p.msi\""),
              "C:\\windows\\system32\\msiexec.exe /i \"C:\\a b\\p.msi\"");
}

TEST(MsiCommandLine, StartsInTheSystemFolderWithItsBackslash) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::string folder = SystemFolderWithBackslash();
    EXPECT_EQ(folder, Narrow(std::wstring(system)) + "\\");
}

TEST(Run, RunsTheProgramAndWaitsUntilItHasFinished) {
    ScratchFolder scratch;
    std::string marker = scratch.file("marker.txt");
    // The program pauses before it writes, so the marker is there only if Run waited.
    unsigned long exitCode = 0;
    EXPECT_EQ(CProgramExecuter().Run(TestBinFolder() + "\\write_marker.exe", "\"" + marker + "\" 1500", exitCode), 0);
    EXPECT_EQ(ReadBytes(marker), "done");
}

TEST(Run, RunsAProgramInAFolderWithBlanks) {
    ScratchFolder scratch;
    std::string folder = scratch.file("Orvane Setup Files");
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    std::string program = folder + "\\write_marker.exe";
    ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\write_marker.exe").c_str(), Widen(program).c_str(), FALSE));
    std::string marker = folder + "\\marker file.txt";
    unsigned long exitCode = 0;
    EXPECT_EQ(CProgramExecuter().Run(program, "\"" + marker + "\" 10", exitCode), 0);
    EXPECT_EQ(ReadBytes(marker), "done");
}

// A program that cannot be started is a failure the caller hears, not a success.
TEST(Run, AnswersMinus93AtOnceForAProgramThatDoesNotExist) {
    ScratchFolder scratch;
    DWORD start = GetTickCount();
    unsigned long exitCode = 0;
    EXPECT_EQ(CProgramExecuter().Run(scratch.file("missing.exe"), "/Q", exitCode), -93);
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(Run, GivesTheProgramsExitCode) {
    ScratchFolder scratch;
    const std::string program = scratch.file("Setup Tool.exe");
    ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\installer_standin.exe").c_str(), Widen(program).c_str(), FALSE));
    unsigned long exitCode = 0;
    SetEnvironmentVariableW(L"OMNI_INSTALLER_EXIT_CODE", L"7");
    EXPECT_EQ(CProgramExecuter().Run(program, "/S", exitCode), 0);
    SetEnvironmentVariableW(L"OMNI_INSTALLER_EXIT_CODE", nullptr);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(ReadBytes(program + ".log"), "\"" + program + "\" /S\n");
    EXPECT_EQ(CProgramExecuter().Run(scratch.file("missing.exe"), "", exitCode), -93);
}

}  // namespace
}  // namespace omni
