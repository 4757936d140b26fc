#include "machine/user_mode_ocx_register_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/component_ids.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

using test::CreateKey;
using test::KeyPresent;
using test::ReadString;
using test::SetString;
using test::SubkeysOf;
using test::ValueCountOf;
using test::ValuePresent;

const char kUserFolder[] = "C:\\Users\\pupil\\AppData\\Roaming\\Orvane Zentra\\Z4\\";
const char kClsidRoot[] = "Software\\Classes\\CLSID";

std::string ClsidKey(const ComponentIds& ids) { return std::string(kClsidRoot) + "\\" + ids.clsid; }

std::string Read(HKEY root, const std::string& path, const std::string& name = "") {
    std::string value;
    DWORD type = 0;
    if (!ReadString(root, path, name, value, &type)) return "<missing>";
    return type == REG_SZ ? value : "<not REG_SZ>";
}

// A scratch hive that looks like a user's: it has "Software", and nothing below it.
class UserRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { CreateKey(HKEY_CURRENT_USER, "Software"); }

    test::RegistrySandbox sandbox_;
    CUserModeOcxRegisterUtil util_;
};

// --- The six records --------------------------------------------------------------

class EveryRecordTest : public UserRegistrationTest, public ::testing::WithParamInterface<int> {};

TEST_P(EveryRecordTest, Register_WritesTheControlsKeysAndValuesUnderTheUserClasses) {
    const ComponentIds& ids = kComponentIds[GetParam()];
    const std::string k = ClsidKey(ids);
    const std::string server = std::string(kUserFolder) + ids.fileName;
    util_.SetFolder(ids.fileName, kUserFolder);

    ASSERT_EQ(util_.Register(ids.fileName), 1);

    EXPECT_EQ(Read(HKEY_CURRENT_USER, k), ids.description);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\InprocServer32"), server);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\MiscStatus"), "0");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\MiscStatus\\1"), "131473");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\ProgID"), ids.progId);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\ToolboxBitmap32"), server + ", 1");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\TypeLib"), ids.typeLib);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\Version"), "1.0");
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, k + "\\Control"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, k + "\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, k + "\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + ids.progId + "\\CLSID"), ids.clsid);
    // Nothing beyond the set: no version-independent identifier, no type library registration.
    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, k).size(), 8u);
    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, "Software\\Classes").size(), 2u);  // CLSID and the program identifier
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, "Software\\Classes\\TypeLib"));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID"));
}

TEST_P(EveryRecordTest, ClsidText_IsTheRecordsWhateverTheLetterCaseOfTheName) {
    const ComponentIds& ids = kComponentIds[GetParam()];
    std::string lower = ids.fileName, upper = ids.fileName;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(util_.GetClsidText(ids.fileName), ids.clsid);
    EXPECT_EQ(util_.GetClsidText(lower), ids.clsid);
    EXPECT_EQ(util_.GetClsidText(upper), ids.clsid);
}

TEST_P(EveryRecordTest, RegisterThenUnregister_RemovesEverythingBelowBothKeysAndKeepsTheParents) {
    const ComponentIds& ids = kComponentIds[GetParam()];
    util_.SetFolder(ids.fileName, kUserFolder);
    ASSERT_EQ(util_.Register(ids.fileName), 1);

    EXPECT_EQ(util_.Unregister(ids.fileName), 1);

    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, ClsidKey(ids)));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + ids.progId));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software\\Classes"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, kClsidRoot));
    EXPECT_TRUE(SubkeysOf(HKEY_CURRENT_USER, kClsidRoot).empty());
    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, "Software\\Classes").size(), 1u);
    EXPECT_EQ(util_.GetRegisteredFolder(ids.fileName), "");
}

INSTANTIATE_TEST_SUITE_P(SixControls, EveryRecordTest,
                         ::testing::Values(kOmniprobeRow, kMarklet2Row, kQuadrelRow, kMarklet3OuterRow,
                                           kMarklet3InnerRow, kQuadrelURow),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return test::RowName(kComponentIds[info.param].fileName, info.index);
                         });

// --- Register ------------------------------------------------------------------------

TEST_F(UserRegistrationTest, RegisterTwice_LeavesOneConsistentSetWithTheLatestFolder) {
    const ComponentIds& ids = kComponentIds[kQuadrelRow];
    const std::string k = ClsidKey(ids);
    util_.SetFolder("Quadrel.ocx", "C:\\Old\\");
    ASSERT_EQ(util_.Register("Quadrel.ocx"), 1);
    util_.SetFolder("Quadrel.ocx", kUserFolder);

    ASSERT_EQ(util_.Register("quadrel.OCX"), 1);

    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, kClsidRoot), std::vector<std::string>{ids.clsid});
    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, k).size(), 8u);
    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, k + "\\Implemented Categories").size(), 2u);
    EXPECT_EQ(ValueCountOf(HKEY_CURRENT_USER, k + "\\InprocServer32"), 2u);
    EXPECT_EQ(ValueCountOf(HKEY_CURRENT_USER, k), 1u);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\InprocServer32"), std::string(kUserFolder) + "Quadrel.ocx");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, k + "\\ToolboxBitmap32"), std::string(kUserFolder) + "Quadrel.ocx, 1");
    EXPECT_EQ(util_.GetRegisteredFolder("Quadrel.ocx"), kUserFolder);
}

TEST_F(UserRegistrationTest, RegisterWithoutFolder_WritesTheBareFileName) {
    ASSERT_EQ(util_.Register("Marklet2.ocx"), 1);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, ClsidKey(kComponentIds[kMarklet2Row]) + "\\InprocServer32"), "Marklet2.ocx");
    EXPECT_EQ(util_.GetRegisteredFolder("Marklet2.ocx"), "");  // no backslash, no folder
}

TEST_F(UserRegistrationTest, UnregisterOneControl_LeavesTheOthersRegistered) {
    ASSERT_EQ(util_.Register("Marklet2.ocx"), 1);
    ASSERT_EQ(util_.Register("QuadrelU.ocx"), 1);

    ASSERT_EQ(util_.Unregister("MARKLET2.ocx"), 1);

    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, ClsidKey(kComponentIds[kMarklet2Row])));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, ClsidKey(kComponentIds[kQuadrelURow]) + "\\InprocServer32"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software\\Classes\\QUADRELU.QuadrelUCtrl.1\\CLSID"));
}

TEST_F(UserRegistrationTest, UnregisterOfAControlNeverRegistered_StillAnswersOne) {
    CreateKey(HKEY_CURRENT_USER, kClsidRoot);
    EXPECT_EQ(util_.Unregister("Quadrel.ocx"), 1);
}

TEST(UserRegistration, UnregisterWithoutTheClassesKeys_AnswersZero) {
    test::RegistrySandbox sandbox;
    CreateKey(HKEY_CURRENT_USER, "Software");
    CUserModeOcxRegisterUtil util;
    EXPECT_EQ(util.Unregister("Quadrel.ocx"), 0);
}

TEST(UserRegistration, RegisterInAHiveWithoutSoftware_FailsAtTheFirstStepAndCreatesNothing) {
    test::RegistrySandbox sandbox;
    CUserModeOcxRegisterUtil util;
    EXPECT_EQ(util.Register("Quadrel.ocx"), 0);
    EXPECT_TRUE(SubkeysOf(HKEY_CURRENT_USER, "").empty());
}

// --- Names outside the table ------------------------------------------------------

class OutsideTheTableTest : public UserRegistrationTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OutsideTheTableTest, AnswersEmptyAndZeroAndChangesNothing) {
    const ComponentIds& other = kComponentIds[kMarklet2Row];
    util_.SetFolder(other.fileName, kUserFolder);
    ASSERT_EQ(util_.Register(other.fileName), 1);
    util_.SetFolder(GetParam(), "C:\\Elsewhere\\");

    EXPECT_EQ(util_.GetClsidText(GetParam()), "");
    EXPECT_EQ(util_.GetRegisteredFolder(GetParam()), "");
    EXPECT_EQ(util_.Register(GetParam()), 0);
    EXPECT_EQ(util_.Unregister(GetParam()), 0);

    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, kClsidRoot), std::vector<std::string>{other.clsid});
    EXPECT_EQ(SubkeysOf(HKEY_CURRENT_USER, "Software\\Classes").size(), 2u);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, ClsidKey(other) + "\\InprocServer32"), std::string(kUserFolder) + other.fileName);
    EXPECT_EQ(util_.GetRegisteredFolder(other.fileName), kUserFolder);
}

INSTANTIATE_TEST_SUITE_P(Names, OutsideTheTableTest,
                         ::testing::Values("", "Marklet2", "Marklet2.dll", "Marklet2.ocx ", "Flash.ocx",
                                           "C:\\Folder\\Marklet2.ocx"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return test::RowName(info.param, info.index);
                         });

// --- GetRegisteredFolder ----------------------------------------------------------------

TEST_F(UserRegistrationTest, RegisteredFolder_PrefersThePerUserRegistrationOverTheMachines) {
    const ComponentIds& ids = kComponentIds[kMarklet2Row];
    SetString(HKEY_LOCAL_MACHINE, ClsidKey(ids) + "\\InprocServer32", "", "C:\\WINDOWS\\system32\\Marklet2.ocx");
    util_.SetFolder("Marklet2.ocx", kUserFolder);
    ASSERT_EQ(util_.Register("Marklet2.ocx"), 1);

    EXPECT_EQ(util_.GetRegisteredFolder("Marklet2.ocx"), kUserFolder);
}

TEST_F(UserRegistrationTest, RegisteredFolder_OfAMachineOnlyRegistrationIsTheSystemFolder) {
    const ComponentIds& ids = kComponentIds[kMarklet2Row];
    SetString(HKEY_LOCAL_MACHINE, ClsidKey(ids) + "\\InprocServer32", "", "C:\\WINDOWS\\system32\\Marklet2.ocx");

    EXPECT_EQ(util_.GetRegisteredFolder("marklet2.ocx"), "C:\\WINDOWS\\system32\\");
}

TEST_F(UserRegistrationTest, RegisteredFolder_FallsBackToTheMachineWhenTheUserKeyHasNoServerText) {
    const ComponentIds& ids = kComponentIds[kQuadrelRow];
    CreateKey(HKEY_CURRENT_USER, ClsidKey(ids) + "\\InprocServer32");  // no default value
    SetString(HKEY_LOCAL_MACHINE, ClsidKey(ids) + "\\InprocServer32", "", "C:\\WINDOWS\\system32\\Quadrel.ocx");

    EXPECT_EQ(util_.GetRegisteredFolder("Quadrel.ocx"), "C:\\WINDOWS\\system32\\");
}

TEST_F(UserRegistrationTest, RegisteredFolder_OfAnUnregisteredControlIsEmpty) {
    EXPECT_EQ(util_.GetRegisteredFolder("Quadrel.ocx"), "");
}

TEST_F(UserRegistrationTest, RegisteredFolder_ReadsServerPathsLongerThanAThousandBytes) {
    std::string folder = "C:\\";
    while (folder.size() < 1500) folder += "deep folder name\\";
    util_.SetFolder("QuadrelU.ocx", folder);
    ASSERT_EQ(util_.Register("QuadrelU.ocx"), 1);

    EXPECT_EQ(util_.GetRegisteredFolder("QuadrelU.ocx"), folder);
}

TEST_F(UserRegistrationTest, RegisteredFolder_ExpandsAnExpandableServerPath) {
    const ComponentIds& ids = kComponentIds[kQuadrelURow];
    SetString(HKEY_LOCAL_MACHINE, ClsidKey(ids) + "\\InprocServer32", "", "%SystemRoot%\\system32\\QuadrelU.ocx",
              REG_EXPAND_SZ);
    wchar_t root[MAX_PATH] = {};
    GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);

    EXPECT_EQ(util_.GetRegisteredFolder("QuadrelU.ocx"), Narrow(root) + "\\system32\\");
}

// --- The registry primitives --------------------------------------------------------------

TEST_F(UserRegistrationTest, EnsureKey_CreatesAMissingChildAndAcceptsAnExistingOne) {
    EXPECT_EQ(util_.EnsureKey("Software", "Orvane"), 1);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software\\Orvane"));
    SetString(HKEY_CURRENT_USER, "Software\\Orvane", "kept", "yes");
    EXPECT_EQ(util_.EnsureKey("Software", "Orvane"), 1);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Orvane", "kept"), "yes");
}

TEST_F(UserRegistrationTest, EnsureKey_UnderAMissingParentAnswersZeroAndCreatesNothing) {
    EXPECT_EQ(util_.EnsureKey("Software\\Missing", "Child"), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, "Software\\Missing"));
}

TEST_F(UserRegistrationTest, SetStringValue_WritesNamedAndDefaultValuesOfAnExistingKeyOnly) {
    CreateKey(HKEY_CURRENT_USER, "Software\\Orvane");
    EXPECT_EQ(util_.SetStringValue("Software\\Orvane", "", "default text"), 1);
    EXPECT_EQ(util_.SetStringValue("Software\\Orvane", "Name", "named text"), 1);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Orvane"), "default text");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Orvane", "Name"), "named text");

    EXPECT_EQ(util_.SetStringValue("Software\\Missing", "Name", "text"), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, "Software\\Missing"));
}

TEST_F(UserRegistrationTest, DeleteKeyTree_RemovesEveryLevelBelowTheChildAndNothingBeside) {
    CreateKey(HKEY_CURRENT_USER, "Software\\Top\\Child\\A\\A1\\A2");
    CreateKey(HKEY_CURRENT_USER, "Software\\Top\\Child\\B");
    SetString(HKEY_CURRENT_USER, "Software\\Top\\Child\\A\\A1", "v", "x");
    CreateKey(HKEY_CURRENT_USER, "Software\\Top\\Sibling");
    unique_hkey top;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Top", 0, KEY_ALL_ACCESS, top.addressof()), ERROR_SUCCESS);

    EXPECT_EQ(util_.DeleteKeyTree(top.get(), "Child"), ERROR_SUCCESS);

    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, "Software\\Top\\Child"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software\\Top\\Sibling"));
}

TEST_F(UserRegistrationTest, DeleteKeyTree_OfAMissingChildReportsItAndOfNoNameTouchesNothing) {
    CreateKey(HKEY_CURRENT_USER, "Software\\Top\\Sibling");
    unique_hkey top;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Top", 0, KEY_ALL_ACCESS, top.addressof()), ERROR_SUCCESS);

    EXPECT_EQ(util_.DeleteKeyTree(top.get(), "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(util_.DeleteKeyTree(top.get(), ""), ERROR_SUCCESS);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software\\Top\\Sibling"));
}

// --- The process-wide instance --------------------------------------------------------------

TEST_F(UserRegistrationTest, ProcessWideInstance_IsOneAndKeepsItsFolders) {
    CUserModeOcxRegisterUtil& first = GetUserModeOcxRegisterUtil();
    EXPECT_EQ(&first, &GetUserModeOcxRegisterUtil());
    first.SetFolder("Marklet3Inner.ocx", kUserFolder);
    ASSERT_EQ(GetUserModeOcxRegisterUtil().Register("Marklet3Inner.ocx"), 1);
    EXPECT_EQ(GetUserModeOcxRegisterUtil().GetRegisteredFolder("Marklet3Inner.ocx"), kUserFolder);
    EXPECT_EQ(GetUserModeOcxRegisterUtil().Unregister("Marklet3Inner.ocx"), 1);
    first.SetFolder("Marklet3Inner.ocx", "");
}

}  // namespace
}  // namespace omni
