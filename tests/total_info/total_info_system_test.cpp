// The diagnosis run on this machine's own probes, in a scratch registry that looks like a PC with
// Internet Explorer and Media Player installed.
#include <gtest/gtest.h>

#include "core/message_catalog.h"
#include "core/result_codes.h"
#include "diagnosis/system_probes.h"
#include "diagnosis/total_info.h"
#include "report/xml_writer.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const char kIeKey[] = "Software\\Microsoft\\Internet Explorer";
const char kWmpKey[] = "Software\\Microsoft\\MediaPlayer";

class TotalInfoOnThisMachine : public ::testing::Test {
protected:
    void SetUp() override {
        savedLanguage_ = GetCatalogLanguage();
        SetCatalogLanguage(kLangEnglish);
        SetString(HKEY_LOCAL_MACHINE, kWmpKey, "Installation Directory", "C:\\Program Files\\Windows Media Player");
    }
    void TearDown() override { SetCatalogLanguage(savedLanguage_); }

    bool Has(const std::string& text) const { return info_.GetReportText().find(text) != std::string::npos; }

    RegistrySandbox sandbox_;
    CTotalInfo info_;
    LANGID savedLanguage_ = kLangKorean;
};

TEST_F(TotalInfoOnThisMachine, Ie11WithMediaPlayer12CompletesAndReportsEveryGroup) {
    SetString(HKEY_LOCAL_MACHINE, kIeKey, "Version", "9.11.9600.16428");
    SetString(HKEY_LOCAL_MACHINE, kIeKey, "svcVersion", "11.0.9600.16428");
    EXPECT_EQ(info_.Run(), kOk);
    EXPECT_EQ(info_.GetRunState(), 5);
    EXPECT_GT(info_.GetOsCode(), 22);
    EXPECT_GE(info_.state().wmpVersion.major, 7);
    EXPECT_EQ(info_.GetIeDisplayMajor(), 11);
    ASSERT_EQ(BuildReport(info_), kOk);
    EXPECT_TRUE(Has("<lenvmsg>Version(11.0.9600.16428)</lenvmsg>"));
    for (const char* group : {"basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"})
        EXPECT_TRUE(Has(std::string("class=\"") + group + "\"")) << group;
}

TEST_F(TotalInfoOnThisMachine, Ie55StopsAsIncomplete) {
    SetString(HKEY_LOCAL_MACHINE, kIeKey, "Version", "5.50.4807.2300");
    EXPECT_EQ(info_.Run(), -70);
    EXPECT_EQ(info_.GetRunState(), 1);
    ASSERT_EQ(BuildReport(info_), kOk);
    EXPECT_TRUE(Has("class=\"basic\""));
    EXPECT_FALSE(Has("class=\"dll\""));
}

TEST_F(TotalInfoOnThisMachine, MissingBrowserKeyStopsWithTheRegistryCode) {
    int status = info_.Run();
    EXPECT_TRUE(status == kRegistryOpenFailed || status == kRegistryReadFailed) << status;
    EXPECT_EQ(info_.GetRunState(), 1);
}

}  // namespace
}  // namespace omni::test

namespace omni::test {
namespace {

TEST(SystemGradingProbes, UnknownControlCannotBeCreatedAndCountsAsEnabled) {
    CSystemProbes probes;
    EXPECT_FALSE(probes.CanCreateControl("NotOurs.ocx"));
    EXPECT_EQ(probes.IsAddonEnabled("NotOurs.ocx"), 1);
}

TEST(SystemGradingProbes, ServiceVersionIsReadFromTheBrowserKey) {
    RegistrySandbox sandbox;
    CSystemProbes probes;
    Version version;
    EXPECT_NE(probes.RetrieveIEServiceVersion(version), 0);
    SetString(HKEY_LOCAL_MACHINE, kIeKey, "svcVersion", "11.0.9600.16428");
    ASSERT_EQ(probes.RetrieveIEServiceVersion(version), 0);
    EXPECT_EQ(version.GetText(), "11.0.9600.16428");
}

}  // namespace
}  // namespace omni::test
