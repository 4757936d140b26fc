#include <gtest/gtest.h>

#include "core/result_codes.h"
#include "diagnosis/total_info.h"
#include "report/xml_writer.h"
#include "tests/support/fake_diagnosis_probes.h"

namespace omni::test {
namespace {

class TotalInfoRun : public ::testing::Test {
protected:
    void GiveComponents() {
        run_.components = {{"Quadrel.ocx", 4, "1.0.0.5", "1.0.0.5", 1}, {"Talvek.dll", 0, "1.0.0.0", "1.0.0.0", 1}};
    }

    FakeRunProbes run_;
    FakeGradingProbes grading_;
    CTotalInfo info_{run_, grading_};
};

TEST_F(TotalInfoRun, NewObjectHasNeverRun) {
    EXPECT_EQ(info_.GetRunState(), 0);
    EXPECT_EQ(info_.GetOsCode(), 0);
    EXPECT_EQ(info_.GetReportText(), "");
    EXPECT_EQ(info_.state().ieVersion.major, 0);
    EXPECT_EQ(info_.state().installedOcx.GetCount(), 0);
}

TEST_F(TotalInfoRun, CompletedRunProbesEverythingInOrderAndStoresTheAnswers) {
    GiveComponents();
    run_.flashSecurity = 2;
    run_.flashBlocked = 1;
    run_.markletBlocked = 1;
    run_.srsAutoInsert = 1;
    run_.popupOn = 1;
    run_.toolbars = "Bing Bar%0A%0D";
    run_.statusBarScript = 0;
    run_.softwareRendering = 0;
    run_.ie32BitTabs = 0;
    EXPECT_EQ(info_.Run(), kOk);
    EXPECT_EQ(info_.GetRunState(), 5);
    EXPECT_EQ(run_.calls,
              (std::vector<std::string>{"RetrieveOsInfo", "RetrieveIEVersion", "RetrieveWMPVersion",
                                        "RetrieveFlashVersion", "LoadNecessaryLists", "BuildInstalledLists",
                                        "CheckFlashSecurity", "CheckFlashBlocked", "CheckMarkletBlocked",
                                        "CheckWMPSRSAutoInsert", "CheckPopupBlocker", "GetToolbarListText",
                                        "CheckStatusBarScript", "CheckSoftwareRendering", "CheckIE32BitTabs"}));
    const TotalInfoState& s = info_.state();
    EXPECT_EQ(s.osCode, 30);
    EXPECT_EQ(s.osName, "Windows 7 Ultimate");
    EXPECT_EQ(s.ieVersion.GetText(), "9.11.9600.16428");
    EXPECT_EQ(s.wmpVersion.GetText(), "12.0.7601.18840");
    EXPECT_EQ(s.flashVersion.major, 10);
    EXPECT_EQ(s.flashSecurity, 2);
    EXPECT_EQ(s.flashBlocked, 1);
    EXPECT_EQ(s.markletBlocked, 1);
    EXPECT_EQ(s.srsAutoInsert, 1);
    EXPECT_EQ(s.popupOn, 1);
    EXPECT_EQ(s.toolbarText, "Bing Bar%0A%0D");
    EXPECT_EQ(s.statusBarScript, 0);
    EXPECT_EQ(s.softwareRendering, 0);
    EXPECT_EQ(s.ie32BitTabs, 0);
    EXPECT_EQ(s.necessaryOcx.GetCount(), 1);
    EXPECT_EQ(s.installedDll.GetCount(), 1);
    EXPECT_EQ(run_.listOsCode, 30);
}

TEST_F(TotalInfoRun, OldBrowserStopsWithIncompleteAndOnlyTheBasicGroup) {
    run_.ie = "5.50.4807.2300";
    run_.wmp = "9.0.0.3250";
    EXPECT_EQ(info_.Run(), -70);
    EXPECT_EQ(info_.GetRunState(), 1);
    EXPECT_FALSE(run_.Asked("LoadNecessaryLists"));
    EXPECT_EQ(info_.GradeIe().colour, "FF0000");
    ASSERT_EQ(BuildReport(info_), kOk);
    const std::string& text = info_.GetReportText();
    EXPECT_NE(text.find("class=\"basic\""), std::string::npos);
    EXPECT_EQ(text.find("class=\"ocx_z4\""), std::string::npos);
    EXPECT_EQ(text.find("class=\"etcchecklist\""), std::string::npos);
}

TEST_F(TotalInfoRun, OldMediaPlayerAloneAlsoStopsWithIncomplete) {
    run_.wmp = "6.4.9.1130";
    EXPECT_EQ(info_.Run(), -70);
    EXPECT_EQ(info_.GetRunState(), 1);
}

TEST_F(TotalInfoRun, SecondRunStoppingAtTheBrowserLeavesTheListsEmpty) {
    GiveComponents();
    run_.toolbars = "Bing Bar%0A%0D";
    ASSERT_EQ(info_.Run(), kOk);
    info_.SetReportText("old report");
    ASSERT_EQ(info_.state().installedOcx.GetCount(), 1);
    run_.ieStatus = -22;
    EXPECT_EQ(info_.Run(), -22);
    EXPECT_EQ(info_.GetRunState(), 1);
    EXPECT_EQ(info_.state().installedOcx.GetCount(), 0);
    EXPECT_EQ(info_.state().installedDll.GetCount(), 0);
    EXPECT_EQ(info_.state().necessaryOcx.GetCount(), 0);
    EXPECT_EQ(info_.state().necessaryDll.GetCount(), 0);
    EXPECT_EQ(info_.state().toolbarText, "");
    EXPECT_EQ(info_.GetReportText(), "");
}

TEST_F(TotalInfoRun, UnreadableMediaPlayerStopsWithItsCode) {
    run_.wmpStatus = -21;
    EXPECT_EQ(info_.Run(), -21);
    EXPECT_EQ(info_.GetRunState(), 1);
    EXPECT_FALSE(run_.Asked("RetrieveFlashVersion"));
}

TEST_F(TotalInfoRun, MissingFlashDoesNotStopTheRun) {
    run_.flashStatus = -41;
    EXPECT_EQ(info_.Run(), kOk);
    EXPECT_EQ(info_.state().flashVersion.GetText(), "0.0.0.0");
}

TEST_F(TotalInfoRun, NoOsInformationShowsTheMessageAndStops) {
    run_.osStatus = -1;
    EXPECT_EQ(info_.Run(), -1);
    EXPECT_EQ(info_.GetRunState(), 1);
    EXPECT_EQ(run_.messages, std::vector<std::string>{"R_BASICINCOMPLETE"});
    EXPECT_EQ(run_.calls, (std::vector<std::string>{"RetrieveOsInfo", "ShowMessage"}));
}

TEST_F(TotalInfoRun, FailedOsStepForgetsThePreviousRunsOperatingSystem) {
    ASSERT_EQ(info_.Run(), kOk);
    run_.osStatus = -1;
    EXPECT_EQ(info_.Run(), -1);
    EXPECT_EQ(info_.GetOsCode(), 0);
    EXPECT_FALSE(info_.IsOn64BitWindows());
    EXPECT_EQ(info_.state().osName, "");
    EXPECT_EQ(info_.state().servicePackBuildText, "");
    EXPECT_EQ(info_.GradeOs().colour, "FF0000");
}

TEST_F(TotalInfoRun, WindowsMeSwitchesToThe98FolderBeforeTheListsLoad) {
    run_.os = {5, 0, "Windows Me", "", ""};
    run_.ie = "6.0.2800.1106";
    run_.wmp = "9.0.0.2980";
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_TRUE(run_.AskedBefore("SwitchZ4To98", "LoadNecessaryLists"));
    EXPECT_EQ(run_.listOsCode, 5);
}

TEST_F(TotalInfoRun, Windows2000KeepsTheZ4Folder) {
    run_.os = {13, 0, "Windows 2000", "Service Pack 4", ""};
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_FALSE(run_.Asked("SwitchZ4To98"));
}

TEST_F(TotalInfoRun, MediaPlayer9GetsSrsZeroWithoutAProbe) {
    run_.srsAutoInsert = 1;
    ASSERT_EQ(info_.Run(), kOk);
    ASSERT_EQ(info_.state().srsAutoInsert, 1);
    run_.calls.clear();
    run_.wmp = "9.0.0.3250";
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_EQ(info_.state().srsAutoInsert, 0);
    EXPECT_FALSE(run_.Asked("CheckWMPSRSAutoInsert"));
}

struct GateRow {
    const char* name;
    const char* ie;
    int isWow64;
    bool statusBar;
    bool rendering;
    bool tabs;
};

std::ostream& operator<<(std::ostream& os, const GateRow& row) { return os << row.name; }

class BrowserOptionGates : public TotalInfoRun, public ::testing::WithParamInterface<GateRow> {};

TEST_P(BrowserOptionGates, ProbeOnlyTheOptionsTheBrowserHas) {
    run_.ie = GetParam().ie;
    run_.os.isWow64 = GetParam().isWow64;
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_EQ(run_.Asked("CheckStatusBarScript"), GetParam().statusBar);
    EXPECT_EQ(run_.Asked("CheckSoftwareRendering"), GetParam().rendering);
    EXPECT_EQ(run_.Asked("CheckIE32BitTabs"), GetParam().tabs);
}

INSTANTIATE_TEST_SUITE_P(Rows, BrowserOptionGates,
                         ::testing::Values(GateRow{"Ie6", "6.0.2900.5512", 0, false, false, false},
                                           GateRow{"Ie7", "7.0.5730.13", 0, true, false, false},
                                           GateRow{"Ie8On64Bit", "8.0.7601.17514", 1, true, false, false},
                                           GateRow{"Ie9On32Bit", "9.0.8112.16421", 0, true, false, false},
                                           GateRow{"Ie9On64Bit", "9.0.8112.16421", 1, true, false, true},
                                           GateRow{"Ie10On32Bit", "9.10.9200.16384", 0, true, true, false},
                                           GateRow{"Ie11On64Bit", "9.11.9600.16428", 1, true, true, true}),
                         [](const ::testing::TestParamInfo<GateRow>& info) { return std::string(info.param.name); });

TEST_F(TotalInfoRun, StepsThatAreSkippedKeepThePreviousAnswer) {
    run_.statusBarScript = 1;
    ASSERT_EQ(info_.Run(), kOk);
    run_.ie = "6.0.2900.5512";
    run_.statusBarScript = 0;
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_EQ(info_.state().statusBarScript, 1);
}

TEST_F(TotalInfoRun, QueriesAnswerFromTheLastRun) {
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_EQ(info_.GetOsCode(), 30);
    EXPECT_TRUE(info_.IsOn64BitWindows());
    EXPECT_TRUE(info_.SupportsAddonManager());
    EXPECT_TRUE(info_.IsIe7OrLater());
    EXPECT_TRUE(info_.IsIe10OrLater());
    EXPECT_EQ(info_.GetIeDisplayMajor(), 11);
    grading_.serviceVersionStatus = -21;
    EXPECT_EQ(info_.GetIeDisplayMajor(), 9);
    run_.ie = "8.0.6001.18702";
    run_.os = {18, 0, "Windows XP Professional", "Service Pack 1", ""};
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_FALSE(info_.IsOn64BitWindows());
    EXPECT_FALSE(info_.SupportsAddonManager());
    EXPECT_TRUE(info_.IsIe7OrLater());
    EXPECT_FALSE(info_.IsIe10OrLater());
    EXPECT_EQ(info_.GetIeDisplayMajor(), 8);
}

TEST_F(TotalInfoRun, ComponentRulesSeeTheRunsLists) {
    run_.components = {{"Quadrel.ocx", 4, "1.0.0.5", "1.0.0.6", 1}};
    ASSERT_EQ(info_.Run(), kOk);
    EXPECT_TRUE(info_.IsOcxUpToDate("Quadrel.ocx"));
    EXPECT_FALSE(info_.IsOcxUpToDate("Unlisted.ocx"));
    EXPECT_EQ(info_.GradeOcx("Quadrel.ocx").resultMsg.empty(), false);
}

}  // namespace
}  // namespace omni::test
