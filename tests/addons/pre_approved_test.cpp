#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "probes/addon_keys.h"
#include "probes/pre_approved_controls.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"

namespace omni {
namespace {

using test::CreateKey;
using test::KeyPresent;
using test::RegistrySandbox;
using test::SubkeysOf;
using test::ValueCountOf;

const std::vector<std::string> kFour = {
    "{816CA824-8BE4-11D3-A498-00C04F6843FB}",
    "{A4639D29-774E-11D3-A490-00C04F6843FB}",
    "{A4639D2F-774E-11D3-A490-00C04F6843FB}",
    "{DE5F419A-9E04-11D3-A4A0-00C04F6843FB}",
};

class PreApprovedTest : public ::testing::Test {
protected:
    // What a fresh machine has: the CurrentVersion key, and a user who has met some control.
    void ArrangeFreshMachine() {
        CreateKey(HKEY_LOCAL_MACHINE, kCurrentVersionPath);
        CreateKey(HKEY_CURRENT_USER, kAddonStatsPath);
    }
    void ExpectExactlyTheFourUnder(HKEY root, const std::string& path) {
        EXPECT_EQ(SubkeysOf(root, path), kFour) << path;  // enumerated in name order, as listed
        for (const std::string& id : kFour) {
            EXPECT_EQ(ValueCountOf(root, path + "\\" + id), 0u) << id;
            EXPECT_TRUE(SubkeysOf(root, path + "\\" + id).empty()) << id;
        }
    }
    RegistrySandbox sandbox_;
};

TEST_F(PreApprovedTest, CreatesExtAndPreApprovedAndTheFourKeysInBothPlaces) {
    ArrangeFreshMachine();
    ASSERT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kExtPath));
    EXPECT_EQ(CVersionRetriever().AddPreApprovedControls(), 0);
    ExpectExactlyTheFourUnder(HKEY_LOCAL_MACHINE, kPreApprovedPath);
    ExpectExactlyTheFourUnder(HKEY_CURRENT_USER, kAddonStatsPath);
}

TEST_F(PreApprovedTest, RunningTwiceSucceedsAndLeavesTheSameKeys) {
    ArrangeFreshMachine();
    EXPECT_EQ(CVersionRetriever().AddPreApprovedControls(), 0);
    EXPECT_EQ(CVersionRetriever().AddPreApprovedControls(), 0);
    ExpectExactlyTheFourUnder(HKEY_LOCAL_MACHINE, kPreApprovedPath);
    ExpectExactlyTheFourUnder(HKEY_CURRENT_USER, kAddonStatsPath);
}

TEST_F(PreApprovedTest, KeepsOtherPreApprovedControls) {
    ArrangeFreshMachine();
    std::string other = "{00000000-1111-2222-3333-444444444444}";
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kPreApprovedPath) + "\\" + other);
    EXPECT_EQ(CVersionRetriever().AddPreApprovedControls(), 0);
    EXPECT_TRUE(KeyPresent(HKEY_LOCAL_MACHINE, std::string(kPreApprovedPath) + "\\" + other));
    EXPECT_EQ(SubkeysOf(HKEY_LOCAL_MACHINE, kPreApprovedPath).size(), 5u);
}

TEST_F(PreApprovedTest, MissingMachineParentFailsWithOpenErrorAndTouchesNothingElse) {
    CreateKey(HKEY_CURRENT_USER, kAddonStatsPath);
    EXPECT_EQ(CVersionRetriever().AddPreApprovedControls(), -22);
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kExtPath));
    EXPECT_TRUE(SubkeysOf(HKEY_CURRENT_USER, kAddonStatsPath).empty());
}

TEST_F(PreApprovedTest, MissingStatsKeyFailsWithOpenErrorAfterTheMachineKeys) {
    CreateKey(HKEY_LOCAL_MACHINE, kCurrentVersionPath);
    EXPECT_EQ(CVersionRetriever().AddPreApprovedControls(), -22);
    ExpectExactlyTheFourUnder(HKEY_LOCAL_MACHINE, kPreApprovedPath);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, kAddonStatsPath));
}

// A machine key that cannot be written stops the work at the first key, as for a user without
// administrative rights.
TEST_F(PreApprovedTest, UnwritablePreApprovedKeyReturnsTheSystemStatusOfTheFirstKey) {
    ArrangeFreshMachine();
    CreateKey(HKEY_LOCAL_MACHINE, kExtPath);
    // A volatile PreApproved key cannot hold non-volatile subkeys.
    {
        unique_hkey ext;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(kExtPath).c_str(), 0, KEY_ALL_ACCESS, ext.addressof()),
                  ERROR_SUCCESS);
        unique_hkey volatileKey;
        ASSERT_EQ(RegCreateKeyExW(ext.get(), L"PreApproved", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  volatileKey.addressof(), nullptr),
                  ERROR_SUCCESS);
    }
    CRegistryUtil registry;
    EXPECT_EQ(AddPreApprovedControls(registry), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_TRUE(SubkeysOf(HKEY_LOCAL_MACHINE, kPreApprovedPath).empty());
    EXPECT_TRUE(SubkeysOf(HKEY_CURRENT_USER, kAddonStatsPath).empty());
}

}  // namespace
}  // namespace omni
