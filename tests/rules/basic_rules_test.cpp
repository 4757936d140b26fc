#include "diagnosis/basic_rules.h"

#include "diagnosis/vendor_links.h"
#include "tests/rules/rule_expectations.h"

namespace omni::test {
namespace {

struct BasicRow {
    const char* name;
    int osCode;
    const char* version;  // of the program the rule grades
    int installMode;
    ExpectedItem expected;
};

std::ostream& operator<<(std::ostream& os, const BasicRow& row) { return os << row.name; }

std::string RowName(const ::testing::TestParamInfo<BasicRow>& info) { return info.param.name; }

class BasicTable : public RuleTestBase, public ::testing::WithParamInterface<BasicRow> {
protected:
    void Arrange(Version TotalInfoState::*program) {
        GetFolderMng().SetInstallMode(GetParam().installMode);
        state_.osCode = GetParam().osCode;
        state_.*program = GetParam().version;
    }
    TotalInfoState state_;
};

// GradeOs
class GradeOsTable : public BasicTable {};

TEST_P(GradeOsTable, GradesTheWindowsRelease) {
    Arrange(&TotalInfoState::ieVersion);
    ExpectItem(GradeOs(state_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GradeOsTable,
    ::testing::Values(
        BasicRow{"Windows95FailsAsTooOld", 1, "", 0, {kColourProblem, 119, 0, nullptr, 130, "text", "", ""}},
        BasicRow{"Windows98FailsAsTooOld", 3, "", 0, {kColourProblem, 119, 0, nullptr, 130, "text", "", ""}},
        BasicRow{"Windows98SePasses", 4, "", 0, {kColourPassed, 108, 0, nullptr, 0, "text", "", ""}},
        BasicRow{"Windows7Passes", 30, "", 0, {kColourPassed, 108, 0, nullptr, 0, "text", "", ""}}),
    RowName);

// GradeIe
class GradeIeTable : public BasicTable {};

TEST_P(GradeIeTable, GradesTheBrowserVersion) {
    Arrange(&TotalInfoState::ieVersion);
    ExpectItem(GradeIe(state_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GradeIeTable,
    ::testing::Values(
        BasicRow{"Ie6ExactlyPasses", 18, "6.0.0.0", 0, {kColourPassed, 108, 0, nullptr, 0, "link", "", ""}},
        BasicRow{"Ie11Passes", 30, "9.11.9600.16428", 0, {kColourPassed, 108, 0, nullptr, 0, "link", "", ""}},
        BasicRow{"Ie55FailsWithDownloadLink", 11, "5.50.4807.2300", 0,
                 {kColourProblem, 111, 0, nullptr, 234, "link", kIe6DownloadPage, ""}},
        BasicRow{"Ie55FailsAlsoWithVendorLinks", 11, "5.50.4807.2300", 2,
                 {kColourProblem, 111, 0, nullptr, 234, "link", kIe6DownloadPage, ""}}),
    RowName);

// GradeWmp
class GradeWmpTable : public BasicTable {};

TEST_P(GradeWmpTable, GradesTheMediaPlayerVersion) {
    Arrange(&TotalInfoState::wmpVersion);
    ExpectItem(GradeWmp(state_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GradeWmpTable,
    ::testing::Values(
        BasicRow{"Wmp7Passes", 18, "7.0.0.0", 2, {kColourPassed, 108, 0, nullptr, 0, "method", "", ""}},
        BasicRow{"Wmp12Passes", 30, "12.0.7601.18840", 0, {kColourPassed, 108, 0, nullptr, 0, "method", "", ""}},
        BasicRow{"VendorLinkModeOffersTheWebSite", 18, "6.4.9.1130", 2,
                 {kColourProblem, 111, 0, nullptr, 272, "link", kMediaVendorHome, ""}},
        BasicRow{"Windows2000OffersWmp9", 13, "6.4.9.1130", 0,
                 {kColourProblem, 111, 0, nullptr, 238, "method", "InstallProgram", "MPSetup98me2000.exe"}},
        BasicRow{"LastCodeBeforeXpOffersWmp9", 15, "6.4.9.1130", 1,
                 {kColourProblem, 111, 0, nullptr, 238, "method", "InstallProgram", "MPSetup98me2000.exe"}},
        BasicRow{"XpProfessionalOffersWmp10", 18, "6.4.9.1130", 0,
                 {kColourProblem, 111, 0, nullptr, 264, "method", "InstallProgram", "MPSetupXP.exe"}},
        BasicRow{"Server2003OffersWmp10", 22, "6.4.9.1130", 0,
                 {kColourProblem, 111, 0, nullptr, 264, "method", "InstallProgram", "MPSetupXP.exe"}},
        BasicRow{"VistaOnlyTellsWithTextSolution", 23, "6.4.9.1130", 0,
                 {kColourProblem, 142, 0, nullptr, 265, "text", "InstallProgram", ""}}),
    RowName);

// GradeFlash
class GradeFlashTable : public BasicTable {};

TEST_P(GradeFlashTable, GradesTheFlashGeneration) {
    Arrange(&TotalInfoState::flashVersion);
    ExpectItem(GradeFlash(state_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GradeFlashTable,
    ::testing::Values(
        BasicRow{"Flash7Passes", 18, "7.0.0.0", 2, {kColourPassed, 108, 0, nullptr, 0, "link", "", ""}},
        BasicRow{"Flash10Passes", 30, "10.0.0.0", 0, {kColourPassed, 108, 0, nullptr, 0, "link", "", ""}},
        BasicRow{"MissingInVendorLinkModeOffersTheWebSite", 30, "0.0.0.0", 2,
                 {kColourProblem, 249, 0, nullptr, 273, "link", kFlashVendorHome, ""}},
        BasicRow{"MissingInWebModeOffersTheInstaller", 30, "0.0.0.0", 1,
                 {kColourProblem, 249, 0, nullptr, 124, "method", "InstallProgram", "flashplayer9r28_winax.exe"}},
        BasicRow{"Flash6InLocalModeOffersTheInstaller", 18, "6.0.0.0", 0,
                 {kColourProblem, 249, 0, nullptr, 124, "method", "InstallProgram", "flashplayer9r28_winax.exe"}}),
    RowName);

// Companion texts
class CompanionTexts : public RuleTestBase {
protected:
    TotalInfoState state_;
};

TEST_F(CompanionTexts, OsIsNameThenLineBreakThenServicePackBuild) {
    state_.osName = "Windows XP Professional";
    state_.servicePackBuildText = "Service Pack 2 (Build 2600)";
    EXPECT_EQ(DescribeOs(state_), "Windows XP Professional\r\nService Pack 2 (Build 2600)");
}

TEST_F(CompanionTexts, Ie11IsDescribedWithItsServiceVersion) {
    state_.ieVersion = "9.11.9600.16428";
    probes_.serviceVersion = "11.0.9600.16428";
    EXPECT_EQ(GetIeDisplayVersion(state_, probes_), "11.0.9600.16428");
    EXPECT_EQ(DescribeIe(state_, probes_), "Version(11.0.9600.16428)");
    EXPECT_EQ(GetIeDisplayMajor(state_, probes_), 11);
}

TEST_F(CompanionTexts, Ie11WithoutReadableServiceVersionKeepsItsVersionValue) {
    state_.ieVersion = "9.11.9600.16428";
    probes_.serviceVersionStatus = -21;
    EXPECT_EQ(DescribeIe(state_, probes_), "Version(9.11.9600.16428)");
    EXPECT_EQ(GetIeDisplayMajor(state_, probes_), 9);
}

TEST_F(CompanionTexts, Ie9NeverAsksForTheServiceVersion) {
    state_.ieVersion = "9.0.8112.16421";
    EXPECT_EQ(DescribeIe(state_, probes_), "Version(9.0.8112.16421)");
    EXPECT_EQ(GetIeDisplayMajor(state_, probes_), 9);
    EXPECT_EQ(probes_.serviceVersionCalls, 0);
}

TEST_F(CompanionTexts, ServiceVersionIsReadAgainOnEveryCall) {
    state_.ieVersion = "9.10.9200.16384";
    probes_.serviceVersion = "10.0.9200.16384";
    EXPECT_EQ(DescribeIe(state_, probes_), "Version(10.0.9200.16384)");
    probes_.serviceVersion = "10.0.9200.17000";
    EXPECT_EQ(DescribeIe(state_, probes_), "Version(10.0.9200.17000)");
    EXPECT_EQ(probes_.serviceVersionCalls, 2);
}

TEST_F(CompanionTexts, WmpIsItsVersionUnlessVendorLinkModeFails) {
    state_.wmpVersion = "6.4.9.1130";
    GetFolderMng().SetInstallMode(2);
    DiagnosisItem failed = GradeWmp(state_);
    EXPECT_EQ(DescribeWmp(state_, failed), English(270));
    EXPECT_NE(DescribeWmp(state_, failed).find("http://www.microsoft.com"), std::string::npos);
    GetFolderMng().SetInstallMode(1);
    EXPECT_EQ(DescribeWmp(state_, GradeWmp(state_)), "Version(6.4.9.1130)");
    state_.wmpVersion = "12.0.7601.18840";
    GetFolderMng().SetInstallMode(2);
    EXPECT_EQ(DescribeWmp(state_, GradeWmp(state_)), "Version(12.0.7601.18840)");
}

TEST_F(CompanionTexts, ColourIsComparedExactly) {
    state_.wmpVersion = "12.0.7601.18840";
    GetFolderMng().SetInstallMode(2);
    DiagnosisItem item;
    item.colour = "000000 ";
    EXPECT_EQ(DescribeWmp(state_, item), English(270));
}

TEST_F(CompanionTexts, MissingFlashIsXOutsideVendorLinkMode) {
    GetFolderMng().SetInstallMode(1);
    state_.flashVersion = "0.0.0.0";
    EXPECT_EQ(DescribeFlash(state_, GradeFlash(state_)), "X");
    TotalInfoState neverRun;
    EXPECT_EQ(DescribeFlash(neverRun, GradeFlash(neverRun)), "X");
}

TEST_F(CompanionTexts, MissingFlashInVendorLinkModeAsksToVisitTheVendor) {
    GetFolderMng().SetInstallMode(2);
    state_.flashVersion = "0.0.0.0";
    EXPECT_EQ(DescribeFlash(state_, GradeFlash(state_)), English(271));
}

TEST_F(CompanionTexts, FlashIsDescribedByItsGeneration) {
    GetFolderMng().SetInstallMode(0);
    state_.flashVersion = "10.0.0.0";
    EXPECT_EQ(DescribeFlash(state_, GradeFlash(state_)), "Version(10)");
    state_.flashVersion = "9.0.0.0";
    EXPECT_EQ(DescribeFlash(state_, GradeFlash(state_)), "Version(9)");
}

}  // namespace
}  // namespace omni::test
