// Media Player's SRS Wow sound effect and approximate seeking through the façade, on a sandboxed registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "core/result_codes.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

using test::RegistrySandbox;

const char kSrsKey[] = "SOFTWARE\\Microsoft\\MediaPlayer\\NodeCLSIDs\\{95037DA1-6ED9-4B27-8CFF-9AD3DFB0B2F2}";
const char kPrefs[] = "Software\\Microsoft\\MediaPlayer\\Preferences";

void InstallSrsNode(const char* name, DWORD autoInsert) {
    test::SetString(HKEY_LOCAL_MACHINE, kSrsKey, "Name", name);
    test::SetDword(HKEY_LOCAL_MACHINE, kSrsKey, "AutoInsert", autoInsert);
}

DWORD AutoInsert() {
    DWORD value = 0xDEAD;
    test::ReadDword(HKEY_LOCAL_MACHINE, kSrsKey, "AutoInsert", value);
    return value;
}

void SetKeyAccess(HKEY root, const char* path, const wchar_t* sddl) {
    unique_hkey key;
    ASSERT_EQ(RegOpenKeyExW(root, Widen(path).c_str(), 0, WRITE_DAC, key.addressof()), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
}

// While it lives, everyone may read the key but nobody may change it.
class ReadOnlyKey {
public:
    ReadOnlyKey(HKEY root, const char* path) : root_(root), path_(path) { SetKeyAccess(root_, path_, L"D:P(A;;KR;;;WD)"); }
    ~ReadOnlyKey() { SetKeyAccess(root_, path_, L"D:P(A;;KA;;;WD)"); }

private:
    HKEY root_;
    const char* path_;
};

// --- SRS Wow DMO ----------------------------------------------------------------------------------

struct SrsRow {
    const char* name;  // null: the node is missing
    DWORD autoInsert;
    int output;
};
void PrintTo(const SrsRow& row, std::ostream* os) { *os << (row.name ? row.name : "no node"); }

class SrsCheck : public ::testing::TestWithParam<SrsRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(SrsCheck, OutputsAutoInsertOfTheSrsNodeOnly) {
    if (GetParam().name) InstallSrsNode(GetParam().name, GetParam().autoInsert);
    int value = -1;
    EXPECT_EQ(CVersionRetriever().CheckWMPSRSAutoInsert(value), 0);
    EXPECT_EQ(value, GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(Nodes, SrsCheck,
                         ::testing::Values(SrsRow{"WMPlayer SRSWow DMO", 1, 1}, SrsRow{"WMPlayer SRSWow DMO", 0, 0},
                                           SrsRow{"wmplayer srswow dmo", 1, 1},
                                           SrsRow{"WMPlayer SRSWow DMO ", 1, 0},
                                           SrsRow{"Another DMO", 1, 0}, SrsRow{nullptr, 0, 0}),
                         [](const ::testing::TestParamInfo<SrsRow>& info) {
                             return test::RowName(info.param.name ? info.param.name : "NoNode", info.index);
                         });

TEST(SrsCheckTest, OutputsZeroWhenAutoInsertIsNotADword) {
    RegistrySandbox sandbox;
    test::SetString(HKEY_LOCAL_MACHINE, kSrsKey, "Name", "WMPlayer SRSWow DMO");
    test::SetString(HKEY_LOCAL_MACHINE, kSrsKey, "AutoInsert", "1");
    int value = -1;
    CVersionRetriever().CheckWMPSRSAutoInsert(value);
    EXPECT_EQ(value, 0);
}

TEST(SrsRepair, TurnsAutoInsertOffSoTheCheckOutputsZero) {
    RegistrySandbox sandbox;
    InstallSrsNode("WMPlayer SRSWow DMO", 1);
    CVersionRetriever facade;
    int value = 0;
    facade.CheckWMPSRSAutoInsert(value);
    ASSERT_EQ(value, 1);
    EXPECT_EQ(facade.DisableWMPSRSAutoInsert(), 0);
    EXPECT_EQ(AutoInsert(), 0u);
    facade.CheckWMPSRSAutoInsert(value);
    EXPECT_EQ(value, 0);
}

TEST(SrsRepair, LeavesANodeOfAnotherNameAlone) {
    RegistrySandbox sandbox;
    InstallSrsNode("Another DMO", 1);
    EXPECT_EQ(CVersionRetriever().DisableWMPSRSAutoInsert(), 0);
    EXPECT_EQ(AutoInsert(), 1u);
}

TEST(SrsRepair, AnswersZeroAndCreatesNothingWithoutTheNode) {
    RegistrySandbox sandbox;
    EXPECT_EQ(CVersionRetriever().DisableWMPSRSAutoInsert(), 0);
    EXPECT_FALSE(test::KeyPresent(HKEY_LOCAL_MACHINE, kSrsKey));
}

TEST(SrsRepair, ReportsWriteFailureWhenTheNodeIsReadOnly) {
    RegistrySandbox sandbox;
    InstallSrsNode("WMPlayer SRSWow DMO", 1);
    {
        ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kSrsKey);
        EXPECT_EQ(CVersionRetriever().DisableWMPSRSAutoInsert(), kRegistryWriteFailed);
    }
    EXPECT_EQ(kRegistryWriteFailed, -23);
    EXPECT_EQ(AutoInsert(), 1u);
}

// --- Approximate seeking --------------------------------------------------------------------------

struct SeekingRow {
    const char* stored;  // "key missing", "absent", "text", or a number
    int correct;
};
void PrintTo(const SeekingRow& row, std::ostream* os) { *os << row.stored; }

class ApproximateSeekingCheck : public ::testing::TestWithParam<SeekingRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(ApproximateSeekingCheck, IsCorrectOnlyWhenTheValueIsZero) {
    std::string stored = GetParam().stored;
    if (stored == "absent")
        test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    else if (stored == "text")
        test::SetString(HKEY_CURRENT_USER, kPrefs, "AllowApproximateSeeking", "0");
    else if (stored != "key missing")
        test::SetDword(HKEY_CURRENT_USER, kPrefs, "AllowApproximateSeeking", std::stoul(stored));
    int correct = -1;
    EXPECT_EQ(CVersionRetriever().CheckApproximateSeeking(correct), 0);
    EXPECT_EQ(correct, GetParam().correct);
}

INSTANTIATE_TEST_SUITE_P(Values, ApproximateSeekingCheck,
                         ::testing::Values(SeekingRow{"key missing", 0}, SeekingRow{"absent", 0},
                                           SeekingRow{"text", 0}, SeekingRow{"1", 0}, SeekingRow{"0", 1}),
                         test::NamedBy<&SeekingRow::stored>());

TEST(ApproximateSeekingRepair, WritesZeroSoTheCheckPasses) {
    RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    CVersionRetriever facade;
    EXPECT_EQ(facade.DisableApproximateSeeking(), 0);
    DWORD value = 9;
    ASSERT_TRUE(test::ReadDword(HKEY_CURRENT_USER, kPrefs, "AllowApproximateSeeking", value));
    EXPECT_EQ(value, 0u);
    int correct = 0;
    facade.CheckApproximateSeeking(correct);
    EXPECT_EQ(correct, 1);
}

TEST(ApproximateSeekingRepair, ReportsWriteFailureAndCreatesNothingWithoutTheKey) {
    RegistrySandbox sandbox;
    EXPECT_EQ(CVersionRetriever().DisableApproximateSeeking(), kRegistryWriteFailed);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kPrefs));
}

TEST(ApproximateSeekingRepair, ReportsWriteFailureWhenPreferencesAreReadOnly) {
    RegistrySandbox sandbox;
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "AllowApproximateSeeking", 1);
    {
        ReadOnlyKey readOnly(HKEY_CURRENT_USER, kPrefs);
        EXPECT_EQ(CVersionRetriever().DisableApproximateSeeking(), kRegistryWriteFailed);
    }
    DWORD value = 0;
    ASSERT_TRUE(test::ReadDword(HKEY_CURRENT_USER, kPrefs, "AllowApproximateSeeking", value));
    EXPECT_EQ(value, 1u);
}

}  // namespace
}  // namespace omni
