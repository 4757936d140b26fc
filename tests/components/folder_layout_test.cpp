// The folder plan as a function of the machine's facts and the install mode.
#include <gtest/gtest.h>

#include "core/module_state.h"
#include "machine/folder_layout.h"

namespace omni {
namespace {

FolderFacts SampleFacts() {
    FolderFacts facts;
    facts.osMajor = 6;
    facts.osMinor = 1;
    facts.tempFolder = "C:\\Users\\Ann\\AppData\\Local\\Temp\\";
    facts.systemFolder = "C:\\Windows\\system32";
    facts.appDataKnown = true;
    facts.appDataFolder = "C:\\Users\\Ann\\AppData\\Roaming";
    facts.executablePath = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
    return facts;
}

struct ModeRow {
    int mode;
    const char* localBase;
    const char* dll;
    const char* z4;
    const char* z3;
    const char* installer;
    const char* z4Url;
    const char* z3Url;
    const char* z4After98;     // Z4 source folder after the legacy switch
    const char* z4UrlAfter98;  // Z4 URL part after the legacy switch
};
void PrintTo(const ModeRow& row, std::ostream* os) { *os << "mode " << row.mode; }

const char kTemp[] = "C:\\Users\\Ann\\AppData\\Local\\Temp\\";
const char kIe[] = "C:\\Program Files\\Internet Explorer\\";
const char kIeDll[] = "C:\\Program Files\\Internet Explorer\\DLL\\";
const char kIeZ4[] = "C:\\Program Files\\Internet Explorer\\Z4OCX\\";
const char kIeZ4Legacy[] = "C:\\Program Files\\Internet Explorer\\Z4OCX\\98\\";
const char kIeZ3[] = "C:\\Program Files\\Internet Explorer\\Z3OCX\\";
const char kIeInstaller[] = "C:\\Program Files\\Internet Explorer\\Installer\\";

class FolderPlanByMode : public testing::TestWithParam<ModeRow> {};

TEST_P(FolderPlanByMode, PlacesSourceFoldersAndUrlParts) {
    const ModeRow& row = GetParam();
    FolderLayout layout = PlanFolders(SampleFacts(), row.mode).layout;
    EXPECT_EQ(layout.localBase, row.localBase);
    EXPECT_EQ(layout.dllSource, row.dll);
    EXPECT_EQ(layout.z4Source, row.z4);
    EXPECT_EQ(layout.z3Source, row.z3);
    EXPECT_EQ(layout.installerSource, row.installer);
    EXPECT_EQ(layout.z4UrlPart, row.z4Url);
    EXPECT_EQ(layout.z3UrlPart, row.z3Url);
    EXPECT_EQ(layout.temp, kTemp);
    EXPECT_EQ(layout.system, "C:\\Windows\\system32\\");
}

TEST_P(FolderPlanByMode, LegacyZ4VariantChangesOnlyTheZ4SourceOrUrlAndRepeatsHarmlessly) {
    const ModeRow& row = GetParam();
    FolderLayout layout = PlanFolders(SampleFacts(), row.mode).layout;
    ApplyLegacyZ4Variant(layout, row.mode);
    ApplyLegacyZ4Variant(layout, row.mode);
    EXPECT_EQ(layout.z4Source, row.z4After98);
    EXPECT_EQ(layout.z4UrlPart, row.z4UrlAfter98);
    EXPECT_EQ(layout.z3Source, row.z3);
    EXPECT_EQ(layout.z3UrlPart, row.z3Url);
    EXPECT_EQ(layout.dllSource, row.dll);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FolderPlanByMode,
    testing::Values(
        ModeRow{kInstallModeLocal, kIe, kIeDll, kIeZ4, kIeZ3, kIeInstaller, "", "", kIeZ4Legacy, ""},
        ModeRow{kInstallModeWeb, "", kTemp, kTemp, kTemp, kTemp, "Z4OCX/", "Z3OCX/", kTemp, "Z4OCX/98/"},
        ModeRow{kInstallModeLocalLinks, kIe, kIeDll, kIeZ4, kIeZ3, kIeInstaller, "", "", kIeZ4Legacy, ""},
        ModeRow{3, "", "", "", "", "", "", "", "", ""}),
    [](const testing::TestParamInfo<ModeRow>& info) { return "Mode" + std::to_string(info.param.mode); });

struct UserFolderRow {
    const char* name;
    unsigned long major, minor;
    bool appDataKnown;
    bool nt60;
    std::vector<std::string> created;
    const char* userBase;
    const char* userZ4;
    const char* userZ3;
};
void PrintTo(const UserFolderRow& row, std::ostream* os) { *os << row.name; }

const char kRoaming[] = "C:\\Users\\Ann\\AppData\\Roaming\\";
const char kMaker[] = "C:\\Users\\Ann\\AppData\\Roaming\\Orvane Zentra";
const char kUserZ4[] = "C:\\Users\\Ann\\AppData\\Roaming\\Orvane Zentra\\ocx4\\";
const char kUserZ3[] = "C:\\Users\\Ann\\AppData\\Roaming\\Orvane Zentra\\ocx\\";

class UserFolderPlan : public testing::TestWithParam<UserFolderRow> {};

TEST_P(UserFolderPlan, CreatesTheUserFoldersInOrder) {
    const UserFolderRow& row = GetParam();
    FolderFacts facts = SampleFacts();
    facts.osMajor = row.major;
    facts.osMinor = row.minor;
    facts.appDataKnown = row.appDataKnown;
    FolderPlan plan = PlanFolders(facts, kInstallModeWeb);
    EXPECT_EQ(plan.nt60, row.nt60);
    EXPECT_EQ(plan.directoriesToCreate, row.created);
    EXPECT_EQ(plan.layout.userBase, row.userBase);
    EXPECT_EQ(plan.layout.userZ4, row.userZ4);
    EXPECT_EQ(plan.layout.userZ3, row.userZ3);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, UserFolderPlan,
    testing::Values(
        UserFolderRow{"Windows7", 6, 1, true, false, {kRoaming, kMaker, kUserZ3, kUserZ4}, kRoaming, kUserZ4, kUserZ3},
        UserFolderRow{"WindowsXP", 5, 1, true, false, {kRoaming, kMaker, kUserZ3, kUserZ4}, kRoaming, kUserZ4, kUserZ3},
        UserFolderRow{"VistaLeavesTheBaseToTheSystem", 6, 0, true, true, {kMaker, kUserZ3, kUserZ4}, kRoaming,
                      kUserZ4, kUserZ3},
        UserFolderRow{"NoAppDataFallsBackToTemp", 6, 1, false, false, {}, kTemp, "", ""},
        UserFolderRow{"NoAppDataOnVista", 6, 0, false, false, {}, kTemp, "", ""}),
    [](const testing::TestParamInfo<UserFolderRow>& info) { return std::string(info.param.name); });

TEST(FolderPlan, AddsTheMissingBackslashToSystemAndTempFolders) {
    FolderFacts facts = SampleFacts();
    facts.tempFolder = "D:\\Temp";
    facts.appDataFolder = "D:\\Roaming\\";
    FolderLayout layout = PlanFolders(facts, kInstallModeWeb).layout;
    EXPECT_EQ(layout.temp, "D:\\Temp\\");
    EXPECT_EQ(layout.system, "C:\\Windows\\system32\\");
    EXPECT_EQ(layout.userBase, "D:\\Roaming\\");
}

TEST(FolderPlan, LocalBaseIsDriveAndDirectoryOfTheExecutable) {
    EXPECT_EQ(DriveAndDirectoryOf("C:\\a\\b\\host.exe"), "C:\\a\\b\\");
    EXPECT_EQ(DriveAndDirectoryOf("C:\\host.exe"), "C:\\");
    EXPECT_EQ(DriveAndDirectoryOf("\\\\server\\share\\host.exe"), "\\\\server\\share\\");
    EXPECT_EQ(DriveAndDirectoryOf("C:host.exe"), "C:");
    EXPECT_EQ(DriveAndDirectoryOf("host.exe"), "");
}

}  // namespace
}  // namespace omni
