#include <gtest/gtest.h>

#include <string>

#include "machine/component_ids.h"
#include "platform/handles.h"
#include "platform/registry_delete.h"
#include "platform/text.h"
#include "probes/addon_flags.h"
#include "probes/addon_keys.h"
#include "probes/flash_player_block_check.h"
#include "probes/marklet_block_check.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"

namespace omni {
namespace {

using test::CreateKey;
using test::KeyPresent;
using test::RegistrySandbox;
using test::SetDword;
using test::SetString;

const std::string kSettings = kAddonSettingsPath;
const std::string kFlashId = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
const std::string kMarklet2 = kComponentIds[kMarklet2Row].clsid;
const std::string kMarklet3Inner = kComponentIds[kMarklet3InnerRow].clsid;
const std::string kMarklet3Outer = kComponentIds[kMarklet3OuterRow].clsid;

std::string SettingsOf(const std::string& id) { return kSettings + "\\" + id; }

// How one add-on's "Flags" is stored, and whether the browser then treats it as disabled.
struct FlagsRow {
    const char* name;
    enum Kind { kDword, kText, kAbsent } kind;
    DWORD value;
    bool disabled;
};
void PrintTo(const FlagsRow& row, std::ostream* os) { *os << row.name; }

void StoreFlags(const FlagsRow& row, const std::string& id) {
    switch (row.kind) {
        case FlagsRow::kDword: SetDword(HKEY_CURRENT_USER, SettingsOf(id), "Flags", row.value); break;
        case FlagsRow::kText: SetString(HKEY_CURRENT_USER, SettingsOf(id), "Flags", "1"); break;
        case FlagsRow::kAbsent: SetString(HKEY_CURRENT_USER, SettingsOf(id), "Version", "*"); break;
    }
}

const FlagsRow kFlagsRows[] = {
    {"DwordOne", FlagsRow::kDword, 1, true},   {"DwordZero", FlagsRow::kDword, 0, false},
    {"DwordTwo", FlagsRow::kDword, 2, false},  {"DwordThree", FlagsRow::kDword, 3, false},
    {"TextOne", FlagsRow::kText, 0, false},    {"Absent", FlagsRow::kAbsent, 0, false},
};

class FlashFlags : public ::testing::TestWithParam<FlagsRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(FlashFlags, IsBlockedOnlyForDwordOne) {
    StoreFlags(GetParam(), kFlashId);
    EXPECT_EQ(CFlashPlayerBlockCheck().IsBlocked(), GetParam().disabled ? 1 : 0);
    int blocked = -5;
    EXPECT_EQ(CVersionRetriever().CheckFlashBlocked(blocked), 0);
    EXPECT_EQ(blocked, GetParam().disabled ? 1 : 0);
}

TEST_P(FlashFlags, UnblockRemovesTheRecordAndLeavesOthers) {
    StoreFlags(GetParam(), kFlashId);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet2), "Flags", 1);
    EXPECT_EQ(CFlashPlayerBlockCheck().Unblock(), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kFlashId)));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet2)));
    EXPECT_EQ(CFlashPlayerBlockCheck().IsBlocked(), 0);
}

TEST_P(FlashFlags, IsAddonDisabledReadsTheSameSwitch) {
    StoreFlags(GetParam(), kFlashId);
    EXPECT_EQ(IsAddonDisabled(kFlashId), GetParam().disabled);
}

INSTANTIATE_TEST_SUITE_P(FlagsValues, FlashFlags, ::testing::ValuesIn(kFlagsRows),
                         [](const ::testing::TestParamInfo<FlagsRow>& info) { return std::string(info.param.name); });

class BlockCheckTest : public ::testing::Test {
protected:
    RegistrySandbox sandbox_;
};

TEST_F(BlockCheckTest, FlashIdentifierIsTheShockwaveFlashControl) {
    CFlashPlayerBlockCheck check;
    ASSERT_EQ(check.count(), 1);
    EXPECT_EQ(AddonIdText(check.identifiers()[0]), kFlashId);
}

TEST_F(BlockCheckTest, MarkletIdentifiersAreMarklet2ThenInnerThenOuter) {
    CMarkletBlockCheck check;
    ASSERT_EQ(check.count(), 3);
    EXPECT_EQ(AddonIdText(check.identifiers()[0]), kMarklet2);
    EXPECT_EQ(AddonIdText(check.identifiers()[1]), kMarklet3Inner);
    EXPECT_EQ(AddonIdText(check.identifiers()[2]), kMarklet3Outer);
}

TEST_F(BlockCheckTest, IdentifierTextIsBracedUpperCase) {
    GUID id = {0xabcdef01, 0x2345, 0x6789, {0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67, 0x89}};
    EXPECT_EQ(AddonIdText(id), "{ABCDEF01-2345-6789-ABCD-EF0123456789}");
}

TEST_F(BlockCheckTest, MissingSettingsKeyMeansNothingDisabledAndNothingToUnblock) {
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, kSettings));
    EXPECT_EQ(CFlashPlayerBlockCheck().IsBlocked(), 0);
    EXPECT_EQ(CMarkletBlockCheck().IsBlocked(), 0);
    EXPECT_EQ(CFlashPlayerBlockCheck().Unblock(), 0);
    EXPECT_EQ(CMarkletBlockCheck().Unblock(), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, kSettings));
}

TEST_F(BlockCheckTest, OtherAddonsDisabledDoNotBlockFlash) {
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet2), "Flags", 1);
    EXPECT_EQ(CFlashPlayerBlockCheck().IsBlocked(), 0);
    EXPECT_EQ(CMarkletBlockCheck().IsBlocked(), 1);
}

TEST_F(BlockCheckTest, MarkletDisabledOnlyByItsThirdIdentifierIsBlocked) {
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet2), "Flags", 0);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet3Inner), "Flags", 2);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet3Outer), "Flags", 1);
    EXPECT_EQ(CMarkletBlockCheck().IsBlocked(), 1);
    int blocked = -5;
    EXPECT_EQ(CVersionRetriever().CheckMarkletBlocked(blocked), 0);
    EXPECT_EQ(blocked, 1);
}

TEST_F(BlockCheckTest, UnblockMarkletDeletesAllThreeSubkeysWhenAllExist) {
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet2), "Flags", 1);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet3Inner), "Flags", 0);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet3Outer), "Flags", 1);
    SetString(HKEY_CURRENT_USER, SettingsOf(kMarklet3Outer), "Version", "*");
    SetDword(HKEY_CURRENT_USER, SettingsOf(kFlashId), "Flags", 1);
    EXPECT_EQ(CVersionRetriever().UnblockMarklet(), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet2)));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet3Inner)));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet3Outer)));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kFlashId)));
    int blocked = -5;
    CVersionRetriever().CheckMarkletBlocked(blocked);
    EXPECT_EQ(blocked, 0);
}

TEST_F(BlockCheckTest, UnblockMarkletDeletesThoseThatExistAndSkipsTheMissing) {
    CreateKey(HKEY_CURRENT_USER, kSettings);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kMarklet3Outer), "Flags", 1);
    EXPECT_EQ(CMarkletBlockCheck().Unblock(), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet2)));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet3Inner)));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kMarklet3Outer)));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, kSettings));

    EXPECT_EQ(CMarkletBlockCheck().Unblock(), 0);  // nothing left to delete
}

TEST_F(BlockCheckTest, UnblockAlsoClearsARecordThatHoldsSubkeys) {
    SetDword(HKEY_CURRENT_USER, SettingsOf(kFlashId), "Flags", 1);
    SetDword(HKEY_CURRENT_USER, SettingsOf(kFlashId) + "\\iexplore", "Count", 4);
    EXPECT_EQ(CVersionRetriever().UnblockFlash(), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kFlashId)));
    EXPECT_EQ(CFlashPlayerBlockCheck().IsBlocked(), 0);
}

// A check with no identifiers has nothing to report or clear.
class EmptyBlockCheck : public CModuleBlockCheck {};

TEST_F(BlockCheckTest, NoIdentifiersMeansNotBlocked) {
    SetDword(HKEY_CURRENT_USER, SettingsOf(kFlashId), "Flags", 1);
    EmptyBlockCheck check;
    EXPECT_EQ(check.count(), 0);
    EXPECT_EQ(check.IsBlocked(), 0);
    EXPECT_EQ(check.Unblock(), 0);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kFlashId)));
}

TEST_F(BlockCheckTest, KeyDeletionRefusesAnEmptyNameInsteadOfDeletingTheParent) {
    SetDword(HKEY_CURRENT_USER, SettingsOf(kFlashId), "Flags", 1);
    unique_hkey settings;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kSettings).c_str(), 0, KEY_ALL_ACCESS, settings.addressof()),
              ERROR_SUCCESS);
    EXPECT_EQ(DeleteRegistryTree(settings.get(), ""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DeleteRegistryKey(settings.get(), ""), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, SettingsOf(kFlashId)));
}

}  // namespace
}  // namespace omni
