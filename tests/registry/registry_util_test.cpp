#include "machine/registry_util.h"

#include <gtest/gtest.h>

#include <string>

#include "core/result_codes.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

using test::CreateKey;
using test::KeyPresent;
using test::ReadDword;
using test::ReadString;
using test::SetDword;
using test::SetRaw;
using test::SetString;
using test::ValuePresent;

const char kKey[] = "Software\\Orvane\\Probe";

std::string Utf16Bytes(const std::wstring& text, bool terminated) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()), text.size() * sizeof(wchar_t));
    if (terminated) bytes.append(sizeof(wchar_t), '\0');
    return bytes;
}

class RegistryUtilTest : public ::testing::Test {
protected:
    test::RegistrySandbox sandbox_;
    CRegistryUtil registry_;
};

TEST_F(RegistryUtilTest, GetDwordValue_ReadsADword) {
    SetDword(HKEY_LOCAL_MACHINE, kKey, "Level", 0x12345678);
    DWORD value = 0;
    EXPECT_EQ(registry_.GetDwordValue(HKEY_LOCAL_MACHINE, kKey, "Level", value), kOk);
    EXPECT_EQ(value, 0x12345678u);
}

TEST_F(RegistryUtilTest, GetDwordValue_OnAStringAnswersReadFailedAndLeavesTheOutputAlone) {
    SetString(HKEY_CURRENT_USER, kKey, "Level", "1");
    DWORD value = 77;
    EXPECT_EQ(registry_.GetDwordValue(HKEY_CURRENT_USER, kKey, "Level", value), kRegistryReadFailed);
    EXPECT_EQ(value, 77u);
}

TEST_F(RegistryUtilTest, GetDwordValue_OnEightBinaryBytesAnswersReadFailed) {
    SetRaw(HKEY_CURRENT_USER, kKey, "Wide", REG_BINARY, std::string(8, '\1'));
    DWORD value = 5;
    EXPECT_EQ(registry_.GetDwordValue(HKEY_CURRENT_USER, kKey, "Wide", value), kRegistryReadFailed);
    EXPECT_EQ(value, 5u);
}

TEST_F(RegistryUtilTest, GetDwordValue_SeparatesAMissingKeyFromAMissingValue) {
    DWORD value = 3;
    EXPECT_EQ(registry_.GetDwordValue(HKEY_CURRENT_USER, kKey, "Level", value), kRegistryOpenFailed);
    CreateKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(registry_.GetDwordValue(HKEY_CURRENT_USER, kKey, "Level", value), kRegistryReadFailed);
    EXPECT_EQ(value, 3u);
}

// One row per kind of stored string value: what the reader answers and the text it returns.
struct StringRow {
    const char* what;
    DWORD type;
    std::string bytes;
    int status;
    std::string text;
};
void PrintTo(const StringRow& row, std::ostream* os) { *os << row.what; }

class GetStringValueTable : public ::testing::TestWithParam<StringRow> {
protected:
    test::RegistrySandbox sandbox_;
};

TEST_P(GetStringValueTable, AnswersTheCodeOfItsRow) {
    const StringRow& row = GetParam();
    SetRaw(HKEY_LOCAL_MACHINE, kKey, "Value", row.type, row.bytes);
    std::string text = "untouched";
    EXPECT_EQ(CRegistryUtil().GetStringValue(HKEY_LOCAL_MACHINE, kKey, "Value", text), row.status) << row.what;
    EXPECT_EQ(text, row.status == kOk ? row.text : std::string("untouched")) << row.what;
}

std::string DwordBytes(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof(value)); }

INSTANTIATE_TEST_SUITE_P(
    RegistryUtil, GetStringValueTable,
    ::testing::Values(
        StringRow{"plain text", REG_SZ, Utf16Bytes(L"C:\\Program Files\\Windows Media Player", true), kOk,
                  "C:\\Program Files\\Windows Media Player"},
        StringRow{"expandable text stays unexpanded", REG_EXPAND_SZ,
                  Utf16Bytes(L"%ProgramFiles%\\Windows Media Player", true), kOk,
                  "%ProgramFiles%\\Windows Media Player"},
        StringRow{"non-ASCII text arrives as UTF-8", REG_SZ, Utf16Bytes(L"\xD55C\xAE00", true), kOk,
                  "\xED\x95\x9C\xEA\xB8\x80"},
        StringRow{"empty text with its terminator", REG_SZ, Utf16Bytes(L"", true), kOk, ""},
        StringRow{"1023 characters fit", REG_SZ, Utf16Bytes(std::wstring(1023, L'x'), true), kOk,
                  std::string(1023, 'x')},
        StringRow{"1024 characters do not fit", REG_SZ, Utf16Bytes(std::wstring(1024, L'x'), true),
                  kRegistryReadFailed, ""},
        StringRow{"text without its terminator", REG_SZ, Utf16Bytes(L"9.11.9600.17031", false), kRegistryReadFailed,
                  ""},
        StringRow{"a dword is not text", REG_DWORD, DwordBytes(0x39), kRegistryReadFailed, ""},
        StringRow{"multi-string is not text", REG_MULTI_SZ, Utf16Bytes(std::wstring(L"a\0b\0", 4), true),
                  kRegistryReadFailed, ""}),
    test::NamedBy<&StringRow::what>());

TEST_F(RegistryUtilTest, GetStringValue_SeparatesAMissingKeyFromAMissingValue) {
    std::string text = "untouched";
    EXPECT_EQ(registry_.GetStringValue(HKEY_LOCAL_MACHINE, kKey, "Version", text), kRegistryOpenFailed);
    CreateKey(HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(registry_.GetStringValue(HKEY_LOCAL_MACHINE, kKey, "Version", text), kRegistryReadFailed);
    EXPECT_EQ(text, "untouched");
}

TEST_F(RegistryUtilTest, SetDwordValue_WritesIntoAnExistingKeyReplacingAnyType) {
    SetString(HKEY_CURRENT_USER, kKey, "AutoInsert", "1");
    EXPECT_EQ(registry_.SetDwordValue(HKEY_CURRENT_USER, kKey, "AutoInsert", 0), kOk);
    DWORD value = 9;
    ASSERT_TRUE(ReadDword(HKEY_CURRENT_USER, kKey, "AutoInsert", value));
    EXPECT_EQ(value, 0u);
}

TEST_F(RegistryUtilTest, SetDwordValue_OnAMissingKeyAnswersOpenFailedAndCreatesNothing) {
    CreateKey(HKEY_CURRENT_USER, "Software\\Orvane");
    EXPECT_EQ(registry_.SetDwordValue(HKEY_CURRENT_USER, kKey, "AutoInsert", 0), kRegistryOpenFailed);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, kKey));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, "Software\\Orvane", "AutoInsert"));
}

TEST_F(RegistryUtilTest, SetDwordValue_ReportsARefusedWriteAsWriteFailed) {
    CreateKey(HKEY_CURRENT_USER, kKey);
    std::string tooLongName(20000, 'n');  // beyond the registry's limit for value names
    EXPECT_EQ(registry_.SetDwordValue(HKEY_CURRENT_USER, kKey, tooLongName, 1), kRegistryWriteFailed);
}

TEST_F(RegistryUtilTest, CreateSubKey_CreatesTheChildOfAnExistingParent) {
    CreateKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(registry_.CreateSubKey(HKEY_CURRENT_USER, kKey, "Child"), ERROR_SUCCESS);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, std::string(kKey) + "\\Child"));
    EXPECT_EQ(registry_.CreateSubKey(HKEY_CURRENT_USER, kKey, "Child"), ERROR_SUCCESS) << "an existing child is fine";
}

TEST_F(RegistryUtilTest, CreateSubKey_UnderAMissingParentAnswersOpenFailedAndCreatesNothing) {
    EXPECT_EQ(registry_.CreateSubKey(HKEY_CURRENT_USER, kKey, "Child"), kRegistryOpenFailed);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, kKey));
}

TEST_F(RegistryUtilTest, KeyExists_AnswersOneOnlyForAKeyThatOpens) {
    EXPECT_EQ(registry_.KeyExists(HKEY_LOCAL_MACHINE, kKey), 0);
    CreateKey(HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(registry_.KeyExists(HKEY_LOCAL_MACHINE, kKey), 1);
    EXPECT_EQ(registry_.KeyExists(HKEY_CURRENT_USER, kKey), 0) << "the hives are separate";
}

}  // namespace
}  // namespace omni
