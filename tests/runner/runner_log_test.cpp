#include "probes/runner_log.h"

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::FileExists;
using test::ScratchFolder;
using test::WriteBytes;

bool IsUpperHex(const std::string& text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

TEST(RunnerLogName, GuidTextHasFourGroupsInUpperCase) {
    const GUID guid = {0x6b29fc40, 0xca47, 0x1067, {0xb3, 0x1d, 0x00, 0xdd, 0x01, 0x06, 0x62, 0xda}};
    EXPECT_EQ(RunnerLogGuidText(guid), "6B29FC40-CA47-1067-B31D00DD010662DA");
}

TEST(RunnerLogName, FreshPathInTheTemporaryFolderEachTime) {
    wchar_t temp[MAX_PATH + 1] = {};
    const std::string folder = Narrow(temp, GetTempPathW(MAX_PATH + 1, temp));
    const std::string first = NewRunnerLogPath();
    const std::string second = NewRunnerLogPath();
    EXPECT_NE(first, second);
    ASSERT_EQ(first.size(), folder.size() + 1 + 35 + 4) << first;
    EXPECT_EQ(first.substr(0, folder.size() + 1), folder + "\\");
    const std::string name = first.substr(folder.size() + 1, 35);
    EXPECT_EQ(name[8], '-');
    EXPECT_EQ(name[13], '-');
    EXPECT_EQ(name[18], '-');
    EXPECT_TRUE(IsUpperHex(name.substr(0, 8) + name.substr(9, 4) + name.substr(14, 4) + name.substr(19))) << name;
    EXPECT_EQ(first.substr(first.size() - 4), ".log");
    EXPECT_FALSE(FileExists(first));
}

TEST(RunnerLogRead, TextEndsAtTheFirstNulAndTheFileIsGone) {
    ScratchFolder scratch;
    const std::string log = scratch.file("cut.log");
    WriteBytes(log, std::string("line one\r\nline two\0hidden", 26));
    std::string text;
    ASSERT_TRUE(ReadAndDeleteLog(log, text));
    EXPECT_TRUE(text == "line one\r\nline two") << text.size() << " bytes";
    EXPECT_FALSE(FileExists(log));
}

TEST(RunnerLogRead, EmptyLogReadsAsEmptyText) {
    ScratchFolder scratch;
    const std::string log = scratch.file("empty.log");
    WriteBytes(log, "");
    std::string text = "old";
    EXPECT_TRUE(ReadAndDeleteLog(log, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(FileExists(log));
}

TEST(RunnerLogRead, MissingLogIsAFailedRead) {
    ScratchFolder scratch;
    std::string text = "old";
    EXPECT_FALSE(ReadAndDeleteLog(scratch.file("none.log"), text));
    EXPECT_EQ(text, "");
}

TEST(RunnerLogRead, LogStillOpenForWritingIsNotRead) {
    ScratchFolder scratch;
    const std::string log = scratch.file("busy.log");
    WriteBytes(log, "partial");
    unique_file writer(CreateFileW(Widen(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(writer));
    std::string text;
    EXPECT_FALSE(ReadAndDeleteLog(log, text));
    writer.reset();
    EXPECT_TRUE(FileExists(log));
}

}  // namespace
}  // namespace omni
