// EnableAddon: the browser's add-on settings key of one of the maker's controls is deleted, so the add-on
// counts as enabled again; a name outside the table deletes nothing.
#include <gtest/gtest.h>

#include <string>

#include "install/ocx_dll_register_manager.h"
#include "machine/component_ids.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const std::string kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";

struct AddonRow {
    const char* name;
    const char* fileName;
    bool quadrelDisabled;  // Quadrel's settings key with Flags 1 before
    int result;
    bool quadrelKeyAfter;
};
void PrintTo(const AddonRow& row, std::ostream* os) { *os << row.name; }

class EnableAddon : public ::testing::TestWithParam<AddonRow> {};

TEST_P(EnableAddon, DeletesTheControlsSettingsKeyAndNothingElse) {
    const AddonRow& row = GetParam();
    RegistrySandbox sandbox;
    const std::string quadrel = kSettings + kComponentIds[kQuadrelRow].clsid;
    const std::string marklet = kSettings + kComponentIds[kMarklet2Row].clsid;
    CreateKey(HKEY_CURRENT_USER, kSettings);
    if (row.quadrelDisabled) SetDword(HKEY_CURRENT_USER, quadrel, "Flags", 1);
    SetDword(HKEY_CURRENT_USER, marklet, "Flags", 1);
    EXPECT_EQ(COCXDLLRegisterManager().EnableAddon(row.fileName), row.result);
    EXPECT_EQ(KeyPresent(HKEY_CURRENT_USER, quadrel), row.quadrelKeyAfter);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, marklet));  // another control's setting stays
}

INSTANTIATE_TEST_SUITE_P(
    Names, EnableAddon,
    ::testing::Values(AddonRow{"DisabledControlIsEnabled", "quadrel.OCX", true, 1, false},
                      AddonRow{"ControlWithoutSettingsAnswersZero", "Quadrel.ocx", false, 0, false},
                      AddonRow{"NameOutsideTheTableDeletesNothing", "Other.ocx", true, 0, true},
                      AddonRow{"NameWithAPathDeletesNothing", "..\\Quadrel.ocx", true, 0, true}),
    [](const ::testing::TestParamInfo<AddonRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
