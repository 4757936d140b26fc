#include "probes/os_info.h"

#include <gtest/gtest.h>

#include "tests/support/registry_sandbox.h"

namespace omni {
namespace {

using test::CreateKey;
using test::RegistrySandbox;
using test::SetString;

const char kProductOptions[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
const char kHotfix[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

OsVersionRecord OldNt4(const char* servicePack) {
    OsVersionRecord r;
    r.platform = VER_PLATFORM_WIN32_NT;
    r.major = 4;
    r.build = 1381;
    r.servicePack = servicePack;
    r.extended = false;
    return r;
}

// The test prefix is 64-bit Windows 7 SP1 and this test program is 32-bit.
TEST(OsInfoOnThisMachine, IsWindows7Sp1UnderWow64) {
    COsInfo info;
    ASSERT_EQ(info.RetrieveOsInfo(), 0);
    EXPECT_EQ(info.code, 27);
    EXPECT_EQ(info.GetOsName(), "Windows 7");
    EXPECT_EQ(info.GetServicePackText(), "Service Pack 1");
    EXPECT_TRUE(info.GetServicePackBuildText() == "Service Pack 1 (Build 7601)\n") << info.GetServicePackBuildText();
    EXPECT_EQ(info.IsWow64, 1);
}

TEST(OsInfoOnThisMachine, SystemGivesTheExtendedRecord) {
    OsVersionRecord record;
    ASSERT_TRUE(QueryOsVersion(record));
    EXPECT_TRUE(record.extended);
    EXPECT_EQ(record.platform, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(record.major, 6u);
    EXPECT_EQ(record.minor, 1u);
    EXPECT_EQ(record.build & 0xFFFF, 7601u);
    EXPECT_EQ(record.productType, 1);
    EXPECT_EQ(record.servicePackMajor, 1);
}

TEST(OsInfoOnThisMachine, RetrieveStartsAfresh) {
    COsInfo info;
    info.code = 99;
    info.IsWow64 = 5;
    ASSERT_EQ(info.RetrieveOsInfo(), 0);
    EXPECT_EQ(info.code, 27);
    EXPECT_EQ(info.IsWow64, 1);
}

TEST(OsInfoOnThisMachine, NewObjectIsUnidentified) {
    COsInfo info;
    EXPECT_EQ(info.code, 0);
    EXPECT_EQ(info.IsWow64, 0);
    EXPECT_EQ(info.GetOsName(), "Windows Unknown");
    EXPECT_EQ(info.GetServicePackText(), "");
}

class OsRegistryFactsTest : public ::testing::Test {
protected:
    RegistrySandbox sandbox_;
};

TEST_F(OsRegistryFactsTest, ReadsProductTypeWithoutTheExtendedRecord) {
    SetString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductType", "LanmanNT");
    const OsRegistryFacts facts = ReadOsRegistryFacts(OldNt4("Service Pack 3"));
    EXPECT_TRUE(facts.productTypeRead);
    EXPECT_EQ(facts.productType, "LanmanNT");
    EXPECT_EQ(ClassifyOs(OldNt4("Service Pack 3"), facts).code, 9);
}

TEST_F(OsRegistryFactsTest, MissingProductOptionsAreUnreadable) {
    EXPECT_FALSE(ReadOsRegistryFacts(OldNt4("Service Pack 3")).productTypeRead);
    CreateKey(HKEY_LOCAL_MACHINE, kProductOptions);
    EXPECT_FALSE(ReadOsRegistryFacts(OldNt4("Service Pack 3")).productTypeRead);
}

TEST_F(OsRegistryFactsTest, ProductTypeLongerThanItsBufferIsUnreadable) {
    SetString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductType", std::string(600, 'W'));
    EXPECT_FALSE(ReadOsRegistryFacts(OldNt4("")).productTypeRead);
    SetString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductType", std::string(500, 'W'));
    EXPECT_TRUE(ReadOsRegistryFacts(OldNt4("")).productTypeRead);
}

TEST_F(OsRegistryFactsTest, ExtendedRecordDoesNotAskForProductOptions) {
    SetString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductType", "WINNT");
    OsVersionRecord record = OldNt4("");
    record.extended = true;
    EXPECT_FALSE(ReadOsRegistryFacts(record).productTypeRead);
}

TEST_F(OsRegistryFactsTest, HotfixKeyIsLookedForOnlyOnNt4Sp6) {
    EXPECT_FALSE(ReadOsRegistryFacts(OldNt4("Service Pack 6")).hasQ246009);
    CreateKey(HKEY_LOCAL_MACHINE, kHotfix);
    EXPECT_TRUE(ReadOsRegistryFacts(OldNt4("Service Pack 6")).hasQ246009);
    EXPECT_TRUE(ReadOsRegistryFacts(OldNt4("service pack 6")).hasQ246009);
    EXPECT_FALSE(ReadOsRegistryFacts(OldNt4("Service Pack 5")).hasQ246009);
}

TEST_F(OsRegistryFactsTest, Windows9xReadsNothing) {
    SetString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductType", "WINNT");
    OsVersionRecord record = OldNt4("Service Pack 6");
    record.platform = VER_PLATFORM_WIN32_WINDOWS;
    const OsRegistryFacts facts = ReadOsRegistryFacts(record);
    EXPECT_FALSE(facts.productTypeRead);
    EXPECT_FALSE(facts.hasQ246009);
}

}  // namespace
}  // namespace omni
