#include "diagnosis/settings_rules.h"

#include "tests/rules/rule_expectations.h"

namespace omni::test {
namespace {

using Arrange = void (*)(TotalInfoState&, FakeGradingProbes&);
using Rule = DiagnosisItem (*)(const TotalInfoState&, GradingProbes&);

struct SettingsRow {
    const char* name;
    Arrange arrange;
    ExpectedItem expected;
};

std::ostream& operator<<(std::ostream& os, const SettingsRow& row) { return os << row.name; }

std::string RowName(const ::testing::TestParamInfo<SettingsRow>& info) { return info.param.name; }

class SettingsTable : public RuleTestBase, public ::testing::WithParamInterface<SettingsRow> {
protected:
    void Check(Rule rule) {
        TotalInfoState state;
        GetParam().arrange(state, probes_);
        ExpectItem(rule(state, probes_), GetParam().expected);
    }
};

#define SETTINGS_TABLE(Suite, RuleExpr)                               \
    class Suite : public SettingsTable {};                            \
    TEST_P(Suite, GradesAsTheTableSays) {                            \
        Check([](const TotalInfoState& s, GradingProbes& p) {          \
            (void)p;                                                   \
            return RuleExpr;                                           \
        });                                                            \
    }

// Shared ends of rows
constexpr const char* R = kColourProblem;
constexpr const char* B = kColourPassed;

void XpSp2(TotalInfoState& s) {
    s.osCode = 18;
    s.servicePackText = "Service Pack 2";
}

// GradeFlashSecure
SETTINGS_TABLE(GradeFlashSecureTable, GradeFlashSecure(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeFlashSecureTable,
    ::testing::Values(
        SettingsRow{"Flash7IsNotRelevantWhateverTheCode",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.flashVersion = "7.0.0.0"; s.flashSecurity = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "FlashSecure"}},
        SettingsRow{"MissingFlashIsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.flashVersion = "0.0.0.0"; s.flashSecurity = 3; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "FlashSecure"}},
        SettingsRow{"AlwaysAllowIsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.flashVersion = "8.0.0.0"; s.flashSecurity = 0; },
                    {B, 145, 146, nullptr, 0, "method", "Modify", "FlashSecure"}},
        SettingsRow{"AlwaysAskOnFlash9NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.flashVersion = "9.0.0.0"; s.flashSecurity = 1; },
                    {R, 149, 147, nullptr, 126, "method", "Modify", "FlashSecure"}},
        SettingsRow{"AlwaysDenyNeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.flashVersion = "10.0.0.0"; s.flashSecurity = 2; },
                    {R, 149, 148, nullptr, 126, "method", "Modify", "FlashSecure"}},
        SettingsRow{"UnreadableFileIsAnErrorWithoutLabel",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.flashVersion = "10.0.0.0"; s.flashSecurity = 3; },
                    {R, 149, 150, nullptr, 0, "method", "Modify", "FlashSecure"}}),
    RowName);

// GradeIeFlash and GradeIeMarklet share one table
SETTINGS_TABLE(GradeIeFlashTable, GradeIeFlash(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeIeFlashTable,
    ::testing::Values(
        SettingsRow{"XpWithoutServicePackIsNotRelevantEvenWhenDisabled",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.osCode = 18; s.flashBlocked = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "IeFlash"}},
        SettingsRow{"XpSp1IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) {
                        s.osCode = 17; s.servicePackText = "service pack 1"; s.flashBlocked = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "IeFlash"}},
        SettingsRow{"DisabledOnXpSp2NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { XpSp2(s); s.flashBlocked = 1; },
                    {R, 116, 0, nullptr, 127, "method", "Modify", "IeFlash"}},
        SettingsRow{"EnabledOnWindows7IsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.osCode = 30; s.markletBlocked = 1; },
                    {B, 152, 0, nullptr, 0, "method", "Modify", "IeFlash"}}),
    RowName);

SETTINGS_TABLE(GradeIeMarkletTable, GradeIeMarklet(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeIeMarkletTable,
    ::testing::Values(
        SettingsRow{"Windows2000IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.osCode = 13; s.markletBlocked = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "IeMarklet"}},
        SettingsRow{"DisabledOnServer2003NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.osCode = 19; s.markletBlocked = 1; },
                    {R, 116, 0, nullptr, 127, "method", "Modify", "IeMarklet"}},
        SettingsRow{"EnabledIsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { XpSp2(s); s.flashBlocked = 1; },
                    {B, 152, 0, nullptr, 0, "method", "Modify", "IeMarklet"}}),
    RowName);

// GradeIePopup
SETTINGS_TABLE(GradeIePopupTable, GradeIePopup(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeIePopupTable,
    ::testing::Values(
        SettingsRow{"XpHomeWithoutServicePackIsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.osCode = 17; s.popupOn = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "IePopop"}},
        SettingsRow{"BlockerOnNeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.osCode = 30; s.popupOn = 1; },
                    {R, 153, 151, nullptr, 127, "method", "Modify", "IePopop"}},
        SettingsRow{"BlockerOffIsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { XpSp2(s); s.popupOn = 0; },
                    {B, 152, 0, nullptr, 0, "method", "Modify", "IePopop"}}),
    RowName);

// The three browser options
SETTINGS_TABLE(GradeStatusBarScriptTable, GradeStatusBarScript(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeStatusBarScriptTable,
    ::testing::Values(
        SettingsRow{"Ie6IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "6.0.2900.5512"; s.statusBarScript = 0; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "AllowStatusbarModifyByScript"}},
        SettingsRow{"AllowedOnIe7IsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "7.0.0.0"; s.statusBarScript = 1; },
                    {B, 260, 0, nullptr, 0, "method", "Modify", "AllowStatusbarModifyByScript"}},
        SettingsRow{"ZeroOnIe8NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "8.0.6001.18702"; s.statusBarScript = 0; },
                    {R, 261, 0, nullptr, 262, "method", "Modify", "AllowStatusbarModifyByScript"}},
        SettingsRow{"AnyOtherValueNeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "8.0.6001.18702"; s.statusBarScript = 3; },
                    {R, 261, 0, nullptr, 262, "method", "Modify", "AllowStatusbarModifyByScript"}}),
    RowName);

SETTINGS_TABLE(GradeSoftwareRenderingTable, GradeSoftwareRendering(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeSoftwareRenderingTable,
    ::testing::Values(
        SettingsRow{"Ie9IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "9.0.8112.16421"; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "UseSWRender"}},
        SettingsRow{"OnWithIe10IsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "9.10.9200.16384"; s.softwareRendering = 1; },
                    {B, 279, 0, nullptr, 0, "method", "Modify", "UseSWRender"}},
        SettingsRow{"OffWithIe11NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "9.11.9600.16428"; s.softwareRendering = 0; },
                    {R, 280, 0, nullptr, 281, "method", "Modify", "UseSWRender"}}),
    RowName);

SETTINGS_TABLE(GradeIe32BitTabsTable, GradeIe32BitTabs(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeIe32BitTabsTable,
    ::testing::Values(
        SettingsRow{"Ie8On64BitIsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "8.0.7601.17514"; s.isWow64 = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "EnabledIEWin32In64OS"}},
        SettingsRow{"Ie9On32BitIsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.ieVersion = "9.0.8112.16421"; s.isWow64 = 0; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "EnabledIEWin32In64OS"}},
        SettingsRow{"SetUpOnIe9On64BitIsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) {
                        s.ieVersion = "9.0.8112.16421"; s.isWow64 = 1; s.ie32BitTabs = 1; },
                    {B, 283, 0, nullptr, 0, "method", "Modify", "EnabledIEWin32In64OS"}},
        SettingsRow{"NotSetUpOnIe11On64BitNeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) {
                        s.ieVersion = "9.11.9600.16428"; s.isWow64 = 1; s.ie32BitTabs = 0; },
                    {R, 282, 0, nullptr, 284, "method", "Modify", "EnabledIEWin32In64OS"}}),
    RowName);

// GradeWmpSrs
SETTINGS_TABLE(GradeWmpSrsTable, GradeWmpSrs(s))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeWmpSrsTable,
    ::testing::Values(
        SettingsRow{"Wmp9IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.wmpVersion = "9.0.0.4503"; s.srsAutoInsert = 1; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "WMP10SRS"}},
        SettingsRow{"AutoInsertOnWmp10NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.wmpVersion = "10.0.0.0"; s.srsAutoInsert = 1; },
                    {R, 154, 0, nullptr, 127, "method", "Modify", "WMP10SRS"}},
        SettingsRow{"NoAutoInsertIsNormal",
                    [](TotalInfoState& s, FakeGradingProbes&) { s.wmpVersion = "12.0.7601.18840"; s.srsAutoInsert = 0; },
                    {B, 152, 0, nullptr, 0, "method", "Modify", "WMP10SRS"}}),
    RowName);

// GradeWmpNetwork
SETTINGS_TABLE(GradeWmpNetworkTable, GradeWmpNetwork(s, p))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeWmpNetworkTable,
    ::testing::Values(
        SettingsRow{"Wmp64IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "6.4.9.1130"; p.networkAll = 0; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "WMPNPOption"}},
        SettingsRow{"CorrectSettingIsALinkWithNothingToDo",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "7.0.0.0"; p.networkAll = 1; },
                    {B, 260, 0, nullptr, 0, "link", "", ""}},
        SettingsRow{"IncorrectSettingNeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "12.0.7601.18840"; p.networkAll = 0; },
                    {R, 275, 0, nullptr, 262, "method", "Modify", "WMPNPOption"}}),
    RowName);

// GradeWmpSeeking
SETTINGS_TABLE(GradeWmpSeekingTable, GradeWmpSeeking(s, p))
INSTANTIATE_TEST_SUITE_P(
    Rows, GradeWmpSeekingTable,
    ::testing::Values(
        SettingsRow{"Wmp9IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "9.0.0.4503"; p.seekingCorrect = 0; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "WMP11AllowApproximateSeeking"}},
        SettingsRow{"Wmp10IsNotRelevant",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "10.0.0.3646"; p.seekingCorrect = 0; },
                    {B, 144, 0, nullptr, 0, "method", "Modify", "WMP11AllowApproximateSeeking"}},
        SettingsRow{"CorrectOnWmp11IsNormal",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "11.0.5721.5145"; p.seekingCorrect = 1; },
                    {B, 152, 0, nullptr, 0, "method", "Modify", "WMP11AllowApproximateSeeking"}},
        SettingsRow{"IncorrectOnWmp12NeedsModifying",
                    [](TotalInfoState& s, FakeGradingProbes& p) { s.wmpVersion = "12.0.7601.18840"; p.seekingCorrect = 0; },
                    {R, 277, 0, nullptr, 127, "method", "Modify", "WMP11AllowApproximateSeeking"}},
        SettingsRow{"FailedProbeCountsAsIncorrect",
                    [](TotalInfoState& s, FakeGradingProbes& p) {
                        s.wmpVersion = "11.0.5721.5145"; p.seekingStatus = -22; p.seekingCorrect = 1; },
                    {R, 277, 0, nullptr, 127, "method", "Modify", "WMP11AllowApproximateSeeking"}}),
    RowName);

class GradingTimeProbes : public RuleTestBase {};

TEST_F(GradingTimeProbes, MediaPlayerRulesProbeOnEveryCallAndOnlyInsideTheirGates) {
    TotalInfoState state;
    state.wmpVersion = "10.0.0.3646";
    GradeWmpNetwork(state, probes_);
    GradeWmpSeeking(state, probes_);
    EXPECT_EQ(probes_.networkCalls, 1);
    EXPECT_EQ(probes_.seekingCalls, 0);
    state.wmpVersion = "11.0.5721.5145";
    probes_.seekingCorrect = 1;
    EXPECT_EQ(GradeWmpSeeking(state, probes_).colour, kColourPassed);
    probes_.seekingCorrect = 0;
    EXPECT_EQ(GradeWmpSeeking(state, probes_).colour, kColourProblem);
    EXPECT_EQ(probes_.seekingCalls, 2);
}

TEST_F(GradingTimeProbes, FormattedVerdictReadsAsASentence) {
    TotalInfoState state;
    state.flashVersion = "9.0.0.0";
    state.flashSecurity = 1;
    EXPECT_EQ(GradeFlashSecure(state).resultMsg, "Settings modification needed ( for now : Always ask )");
}

// SupportsAddonManager
struct AddonManagerRow {
    const char* name;
    int osCode;
    const char* servicePack;
    bool supported;
};

std::ostream& operator<<(std::ostream& os, const AddonManagerRow& row) { return os << row.name; }

class SupportsAddonManagerTable : public ::testing::TestWithParam<AddonManagerRow> {};

TEST_P(SupportsAddonManagerTable, AnswersFromOsCodeAndServicePack) {
    TotalInfoState state;
    state.osCode = GetParam().osCode;
    state.servicePackText = GetParam().servicePack;
    EXPECT_EQ(SupportsAddonManager(state), GetParam().supported);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SupportsAddonManagerTable,
    ::testing::Values(AddonManagerRow{"Windows2000", 13, "Service Pack 4", false},
                      AddonManagerRow{"XpCode16WithServicePack2", 16, "Service Pack 2", false},
                      AddonManagerRow{"XpCode16WithoutServicePack", 16, "", false},
                      AddonManagerRow{"XpHomeWithoutServicePack", 17, "", false},
                      AddonManagerRow{"XpHomeSp1", 17, "Service Pack 1", false},
                      AddonManagerRow{"XpProSp1InOtherCase", 18, "SERVICE PACK 1", false},
                      AddonManagerRow{"XpProSp1a", 18, "Service Pack 1a", true},
                      AddonManagerRow{"XpProSp2", 18, "Service Pack 2", true},
                      AddonManagerRow{"XpHomeSp3", 17, "Service Pack 3", true},
                      AddonManagerRow{"Server2003WithoutServicePack", 19, "", true},
                      AddonManagerRow{"Windows7", 30, "", true}),
    [](const ::testing::TestParamInfo<AddonManagerRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
