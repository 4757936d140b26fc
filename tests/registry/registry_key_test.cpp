#include "machine/registry_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/registry_sandbox.h"

namespace omni {
namespace {

using test::CreateKey;
using test::ReadString;
using test::SetDword;
using test::SetRaw;
using test::SetString;

const char kKey[] = "Software\\Microsoft\\Internet Explorer\\New Windows";
const char kOtherKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

// A handle the key has let go of either no longer works or has been reused for the key's current one.
bool Released(HKEY earlier, const CRegistryKey& key) {
    if (earlier == key.handle()) return true;
    DWORD values = 0;
    return RegQueryInfoKeyW(earlier, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_INVALID_HANDLE;
}

class RegistryKeyTest : public ::testing::Test {
protected:
    test::RegistrySandbox sandbox_;
    CRegistryKey key_;
};

TEST_F(RegistryKeyTest, OpenRead_AnswersTheSystemStatusForAMissingKey) {
    EXPECT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key_.path(), kKey) << "the path is kept even when the open fails";
}

TEST_F(RegistryKeyTest, QueryString_ReadsTheTextOfAValue) {
    SetString(HKEY_CURRENT_USER, kKey, "PopupMgr", "yes");
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(key_.QueryString("PopupMgr", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "yes");
}

// A toolbar's server path under "C:\Program Files (x86)" easily passes 100 characters.
TEST_F(RegistryKeyTest, QueryString_ReadsTextsOfAnyLength) {
    SetString(HKEY_CURRENT_USER, kKey, "Toolbar", std::string(199, 'a'));
    SetString(HKEY_CURRENT_USER, kKey, "Long", std::string(1000, 'b'));
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(key_.QueryString("Toolbar", text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(199, 'a'));
    EXPECT_EQ(key_.QueryString("Long", text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(1000, 'b'));
}

TEST_F(RegistryKeyTest, QueryString_KeepsTwoHundredUnterminatedBytesTerminated) {
    // The writer adds a terminator when the character after the data is zero, so one more follows.
    std::wstring hundred(101, L'c');
    unique_hkey raw;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Widen(kKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              raw.addressof(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(raw.get(), L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(hundred.c_str()), 200),
              ERROR_SUCCESS);
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(key_.QueryString("Raw", text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(100, 'c'));
}

TEST_F(RegistryKeyTest, QueryString_IgnoresTheTypeAndStopsAtTheFirstZero) {
    std::wstring twoTexts(L"first\0second", 12);
    SetRaw(HKEY_CURRENT_USER, kKey, "Multi", REG_MULTI_SZ,
           std::string(reinterpret_cast<const char*>(twoTexts.c_str()), (twoTexts.size() + 1) * sizeof(wchar_t)));
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(key_.QueryString("Multi", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "first");
}

TEST_F(RegistryKeyTest, SetString_WritesRegSzWithItsTerminator) {
    CreateKey(HKEY_CURRENT_USER, kKey);
    ASSERT_EQ(key_.OpenWrite(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    EXPECT_EQ(key_.SetString("PopupMgr", "no"), ERROR_SUCCESS);
    key_.Close();

    unique_hkey raw;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kKey).c_str(), 0, KEY_READ, raw.addressof()), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(raw.get(), L"PopupMgr", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
}

TEST_F(RegistryKeyTest, SetString_ThroughAKeyOpenedForReadingIsRefused) {
    CreateKey(HKEY_CURRENT_USER, kKey);
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    EXPECT_EQ(key_.SetString("PopupMgr", "no"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kKey, "PopupMgr"));
}

TEST_F(RegistryKeyTest, ListValueNames_ListsEveryValueWhateverTheSizeOfItsData) {
    // Data sizes go up and down so that a size left over from one value would cut the next one short.
    SetRaw(HKEY_CURRENT_USER, kKey, "Large", REG_BINARY, std::string(4000, 'L'));
    SetDword(HKEY_CURRENT_USER, kKey, "Small", 1);
    SetString(HKEY_CURRENT_USER, kKey, "Medium", std::string(300, 'm'));
    SetRaw(HKEY_CURRENT_USER, kKey, "Empty", REG_BINARY, std::string());
    SetString(HKEY_CURRENT_USER, kKey, "A much longer value name than the others", "x");
    SetRaw(HKEY_CURRENT_USER, kKey, "Larger", REG_BINARY, std::string(5000, 'X'));
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);

    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(key_.ListValueNames(names), 6u);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {"A much longer value name than the others", "Empty", "Large", "Larger",
                                         "Medium", "Small"};
    EXPECT_EQ(names, expected);
}

TEST_F(RegistryKeyTest, ListValueNames_OfAClosedKeyIsEmpty) {
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(key_.ListValueNames(names), 0u);
    EXPECT_TRUE(names.empty());
}

TEST_F(RegistryKeyTest, OpenRead_AgainWithoutCloseSwitchesToTheSecondKey) {
    SetString(HKEY_CURRENT_USER, kKey, "Which", "first");
    SetString(HKEY_CURRENT_USER, kOtherKey, "Which", "second");
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kOtherKey), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(key_.QueryString("Which", text), ERROR_SUCCESS);
    EXPECT_EQ(text, "second");
    EXPECT_EQ(key_.path(), kOtherKey);
}

TEST_F(RegistryKeyTest, OpenRead_AgainWithoutCloseReleasesTheFirstHandle) {
    CreateKey(HKEY_CURRENT_USER, kKey);
    CreateKey(HKEY_CURRENT_USER, kOtherKey);
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    for (int i = 0; i < 20; ++i) {
        HKEY earlier = key_.handle();
        ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, i % 2 ? kKey : kOtherKey), ERROR_SUCCESS);
        ASSERT_TRUE(Released(earlier, key_)) << "reopen " << i;
        earlier = key_.handle();
        ASSERT_EQ(key_.OpenWrite(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
        ASSERT_TRUE(Released(earlier, key_)) << "reopen for writing " << i;
    }
}

TEST_F(RegistryKeyTest, Close_AndDestructionReleaseTheHandle) {
    CreateKey(HKEY_CURRENT_USER, kKey);
    HKEY held = nullptr;
    {
        CRegistryKey scoped;
        ASSERT_EQ(scoped.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
        held = scoped.handle();
    }
    CRegistryKey closed;
    EXPECT_TRUE(Released(held, closed)) << "destruction closes the key";
    ASSERT_EQ(key_.OpenRead(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    held = key_.handle();
    key_.Close();
    EXPECT_EQ(key_.handle(), nullptr);
    EXPECT_TRUE(Released(held, key_));
    std::string text = "x";
    EXPECT_NE(key_.QueryString("Anything", text), ERROR_SUCCESS) << "a closed key reads nothing";
}

}  // namespace
}  // namespace omni
