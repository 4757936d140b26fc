// The test reg.exe beside tarrow.exe: QUERY with /t as Windows answers it, everything else passed on.
#include <gtest/gtest.h>

#include <objbase.h>

#include "platform/text.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

const char kNotFound[] = "ERROR: The system was unable to find the specified registry key or value.";

std::string FreshKeyPath() {
    GUID guid;
    CoCreateGuid(&guid);
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    return "Software\\OmniprobeTests\\RegFixture" + Narrow(std::wstring(text));
}

class RegQueryType : public ::testing::Test {
protected:
    void SetUp() override {
        test::SetDword(HKEY_CURRENT_USER, key_, "Number", 7);
        test::SetString(HKEY_CURRENT_USER, key_, "Text", "seven");
    }
    void TearDown() override { test::DeleteTree(HKEY_CURRENT_USER, key_); }

    test::ProgramOutput Reg(const std::string& arguments) {
        return test::RunProgram("\"" + test::TestBinFolder() + "\\reg.exe\" " + arguments, scratch_.path());
    }
    std::string Key() const { return "\"HKCU\\" + key_ + "\""; }

    std::string key_ = FreshKeyPath();
    test::ScratchFolder scratch_;
};

TEST_F(RegQueryType, PassesOnAValueOfTheAskedType) {
    test::ProgramOutput reg = Reg("QUERY " + Key() + " /v Number /t REG_DWORD");
    ASSERT_TRUE(reg.started);
    EXPECT_EQ(reg.exitCode, 0u);
    EXPECT_NE(reg.out.find("HKEY_CURRENT_USER\\" + key_), std::string::npos);
    EXPECT_NE(reg.out.find("    Number    REG_DWORD    0x7"), std::string::npos);
    EXPECT_EQ(reg.err, "");
}

TEST_F(RegQueryType, AnswersNotFoundForAValueOfAnotherType) {
    test::ProgramOutput reg = Reg("QUERY " + Key() + " /v Number /t REG_SZ");
    EXPECT_EQ(reg.exitCode, 1u);
    EXPECT_EQ(reg.out.find("Number"), std::string::npos);
    EXPECT_NE(reg.err.find(kNotFound), std::string::npos);
}

TEST_F(RegQueryType, AnswersNotFoundForAnAbsentValueAndKey) {
    test::ProgramOutput value = Reg("QUERY " + Key() + " /v Missing /t REG_SZ");
    EXPECT_EQ(value.exitCode, 1u);
    EXPECT_EQ(value.out.find("Missing"), std::string::npos);
    EXPECT_NE(value.err.find(kNotFound), std::string::npos);
    test::ProgramOutput key = Reg("QUERY \"HKCU\\" + key_ + "\\Missing\" /v Text /t REG_SZ");
    EXPECT_EQ(key.exitCode, 1u);
    EXPECT_NE(key.err.find(kNotFound), std::string::npos);
}

TEST_F(RegQueryType, HandsOtherCommandsToTheSystemRegUnchanged) {
    test::ProgramOutput add = Reg("ADD " + Key() + " /v Added /t REG_DWORD /d 5 /f");
    EXPECT_EQ(add.exitCode, 0u);
    DWORD added = 0;
    EXPECT_TRUE(test::ReadDword(HKEY_CURRENT_USER, key_, "Added", added));
    EXPECT_EQ(added, 5u);

    test::ProgramOutput query = Reg("QUERY " + Key() + " /v Text");
    EXPECT_EQ(query.exitCode, 0u);
    EXPECT_NE(query.out.find("Text    REG_SZ    seven"), std::string::npos);

    test::ProgramOutput missing = Reg("DELETE " + Key() + " /v Missing /f");
    EXPECT_NE(missing.exitCode, 0u);  // the system's own failure status
}

}  // namespace
}  // namespace omni
