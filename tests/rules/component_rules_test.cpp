#include "diagnosis/component_rules.h"

#include "tests/rules/rule_expectations.h"

namespace omni::test {
namespace {

constexpr char kControl[] = "Quadrel.ocx";

// One control listed as 1.0.0.5, as the row's installed state and probes put it.
struct OcxRow {
    const char* name;
    const char* installed;
    int found;
    bool creatable;
    bool addonEnabled;
    int osCode;
    const char* servicePack;
    ExpectedItem expected;
};

std::ostream& operator<<(std::ostream& os, const OcxRow& row) { return os << row.name; }

void AddNode(OCXDLLList& list, const std::string& name, int kind, const std::string& version, int found) {
    auto node = std::make_unique<OCXDLLNode>();
    node->name = name;
    node->kind = kind;
    node->version = version;
    node->found = found;
    list.Append(std::move(node));
}

class GradeOcxTable : public RuleTestBase, public ::testing::WithParamInterface<OcxRow> {
protected:
    void SetUp() override {
        RuleTestBase::SetUp();
        const OcxRow& row = GetParam();
        AddNode(state_.necessaryOcx, kControl, kKindZ4Control, "1.0.0.5", 0);
        AddNode(state_.installedOcx, kControl, kKindZ4Control, row.installed, row.found);
        state_.osCode = row.osCode;
        state_.servicePackText = row.servicePack;
        if (!row.creatable) probes_.notCreatable.insert(kControl);
        if (!row.addonEnabled) probes_.disabledAddons.insert(kControl);
    }
    TotalInfoState state_;
};

TEST_P(GradeOcxTable, GradesTheFirstRowThatHolds) { ExpectItem(GradeOcx(state_, probes_, kControl), GetParam().expected); }

constexpr const char* R = kColourProblem;
constexpr const char* B = kColourPassed;

INSTANTIATE_TEST_SUITE_P(
    Rows, GradeOcxTable,
    ::testing::Values(
        OcxRow{"MissingFileIsNotInstalled", "0.0.0.0", 0, false, false, 30, "",
               {R, 114, 0, nullptr, 122, "method", "InstallOcx", kControl}},
        OcxRow{"UnregisteredIsNotActivated", "1.0.0.6", 1, false, true, 30, "",
               {R, 131, 0, nullptr, 251, "method", "InstallOcx", kControl}},
        OcxRow{"OlderThanListedOffersTheUpgrade", "1.0.0.4", 1, true, false, 30, "",
               {R, 113, 0, "1.0.0.4", 123, "method", "InstallOcx", kControl}},
        OcxRow{"DisabledOnXpSp2IsAnAddonProblem", "1.0.0.5", 1, true, false, 18, "Service Pack 2",
               {R, 116, 0, nullptr, 251, "method", "InstallOcx", kControl}},
        OcxRow{"DisabledOnXpSp1PassesForWantOfAnAddonManager", "1.0.0.5", 1, true, false, 18, "Service Pack 1",
               {B, 109, 0, "1.0.0.5", 0, "method", "InstallOcx", ""}},
        OcxRow{"ListedVersionIsNormal", "1.0.0.5", 1, true, true, 30, "",
               {B, 109, 0, "1.0.0.5", 0, "method", "InstallOcx", ""}},
        OcxRow{"NewerVersionIsNormal", "1.0.0.6", 1, true, true, 30, "",
               {B, 109, 0, "1.0.0.6", 0, "method", "InstallOcx", ""}}),
    [](const ::testing::TestParamInfo<OcxRow>& info) { return std::string(info.param.name); });

struct DllRow {
    const char* name;
    const char* installed;
    int found;
    ExpectedItem expected;
};

std::ostream& operator<<(std::ostream& os, const DllRow& row) { return os << row.name; }

class GradeDllTable : public RuleTestBase, public ::testing::WithParamInterface<DllRow> {};

TEST_P(GradeDllTable, GradesPresenceOnly) {
    TotalInfoState state;
    AddNode(state.necessaryDll, "Talvek.dll", kKindDll, "3.0.0.0", 0);
    AddNode(state.installedDll, "Talvek.dll", kKindDll, GetParam().installed, GetParam().found);
    ExpectItem(GradeDll(state, "Talvek.dll"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GradeDllTable,
    ::testing::Values(DllRow{"MissingIsNotFound", "0.0.0.0", 0,
                             {R, 115, 0, nullptr, 246, "method", "InstallDll", "Talvek.dll"}},
                      DllRow{"OlderThanListedStillPasses", "1.2.0.0", 1, {B, 109, 0, "1.2.0.0", 0, "method", "", ""}},
                      DllRow{"WithoutVersionInformationPasses", "0.0.0.0", 1,
                             {B, 109, 0, "0.0.0.0", 0, "method", "", ""}}),
    [](const ::testing::TestParamInfo<DllRow>& info) { return std::string(info.param.name); });

struct UpToDateRow {
    const char* name;
    const char* installed;
    int found;
    bool creatable;
    bool upToDate;
};

std::ostream& operator<<(std::ostream& os, const UpToDateRow& row) { return os << row.name; }

class IsOcxUpToDateTable : public RuleTestBase, public ::testing::WithParamInterface<UpToDateRow> {};

TEST_P(IsOcxUpToDateTable, AnswersFromCreationAndVersion) {
    TotalInfoState state;
    AddNode(state.necessaryOcx, kControl, kKindZ4Control, "1.0.0.5", 0);
    AddNode(state.installedOcx, kControl, kKindZ4Control, GetParam().installed, GetParam().found);
    if (!GetParam().creatable) probes_.notCreatable.insert(kControl);
    EXPECT_EQ(IsOcxUpToDate(state, probes_, kControl), GetParam().upToDate);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IsOcxUpToDateTable,
    ::testing::Values(UpToDateRow{"CreatableAndListedVersion", "1.0.0.5", 1, true, true},
                      UpToDateRow{"CreatableAndNewer", "2.0.0.32", 1, true, true},
                      UpToDateRow{"CreatableButOlder", "1.0.0.4", 1, true, false},
                      UpToDateRow{"NewerButNotCreatable", "1.0.0.6", 1, false, false},
                      UpToDateRow{"FoundFlagIsNotConsulted", "1.0.0.5", 0, true, true}),
    [](const ::testing::TestParamInfo<UpToDateRow>& info) { return std::string(info.param.name); });

class UnlistedNames : public RuleTestBase {
protected:
    TotalInfoState state_;
};

TEST_F(UnlistedNames, AControlNotInTheListsNeedsInstallingWithoutAnyProbe) {
    AddNode(state_.necessaryOcx, kControl, kKindZ4Control, "1.0.0.5", 0);
    AddNode(state_.installedOcx, kControl, kKindZ4Control, "1.0.0.5", 1);
    ExpectItem(GradeOcx(state_, probes_, "Other.ocx"),
               {kColourProblem, 114, 0, nullptr, 122, "method", "InstallOcx", "Other.ocx"});
    EXPECT_FALSE(IsOcxUpToDate(state_, probes_, "Other.ocx"));
    EXPECT_EQ(probes_.createCalls, 0);
}

TEST_F(UnlistedNames, ADllNotInTheListNeedsInstalling) {
    ExpectItem(GradeDll(state_, "Missing.dll"),
               {kColourProblem, 115, 0, nullptr, 246, "method", "InstallDll", "Missing.dll"});
}

TEST_F(UnlistedNames, NamesAreFoundWithoutRegardToCaseAndCopiedAsGiven) {
    AddNode(state_.necessaryOcx, kControl, kKindZ4Control, "1.0.0.5", 0);
    AddNode(state_.installedOcx, kControl, kKindZ4Control, "1.0.0.4", 1);
    DiagnosisItem item = GradeOcx(state_, probes_, "QUADREL.OCX");
    EXPECT_EQ(item.resultMsg, "Newer version is available - version(1.0.0.4)");
    EXPECT_EQ(item.solutionParam, "QUADREL.OCX");
}

TEST_F(UnlistedNames, CreationIsProbedOnEveryGrading) {
    AddNode(state_.necessaryOcx, kControl, kKindZ4Control, "1.0.0.5", 0);
    AddNode(state_.installedOcx, kControl, kKindZ4Control, "1.0.0.5", 1);
    EXPECT_EQ(GradeOcx(state_, probes_, kControl).colour, kColourPassed);
    probes_.notCreatable.insert(kControl);
    EXPECT_EQ(GradeOcx(state_, probes_, kControl).resultMsg, English(131));
    EXPECT_EQ(probes_.createCalls, 2);
}

}  // namespace
}  // namespace omni::test
