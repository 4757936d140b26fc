// Modify's key table: which key runs, what it needs first, and what follows — answered, shown and armed —
// for the keys whose conditions decide, and for settings that a registry sandbox can take.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "control/repair_flow.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "diagnosis/total_info.h"
#include "platform/handles.h"
#include "tests/support/fake_diagnosis_probes.h"
#include "tests/support/import_replacement.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

class RecordingUi : public RepairUi {
public:
    void Inform(unsigned textId) override { shown.push_back(textId); }
    void Warn(unsigned textId) override { shown.push_back(textId); }
    void ArmRediagnosis() override { ++armed; }
    void ShowFlashVerification() override {}
    int Consent(const std::string&) override { return kOk; }  // the consent decisions have a table of their own

    std::vector<unsigned> shown;
    int armed = 0;
};

// Makes the registry refuse every value this program writes while it lives, after its key opened:
// another program removes the key between the open and the write, and the write then fails with
// ERROR_KEY_DELETED, as on Windows. Under Wine 8 a key that opens for writing takes every value
// otherwise: a key whose rights refuse values does not open for writing at all.
class KeyRemovedBeforeWrite {
public:
    KeyRemovedBeforeWrite() { write_ = reinterpret_cast<SetValue>(const_cast<void*>(replacement_.original())); }
    bool active() const { return replacement_.replaced(); }

private:
    using SetValue = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);
    static LONG WINAPI RemoveKeyThenWrite(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                          DWORD size) {
        using DeleteKey = LONG(WINAPI*)(HANDLE);
        auto deleteKey = reinterpret_cast<DeleteKey>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey"));
        unique_hkey other;
        if (deleteKey && RegOpenKeyExW(key, L"", 0, DELETE, other.addressof()) == ERROR_SUCCESS) deleteKey(other.get());
        return write_(key, name, reserved, type, data, size);
    }
    static inline SetValue write_ = nullptr;
    ImportReplacement replacement_{"advapi32.dll", "RegSetValueExW", reinterpret_cast<const void*>(&RemoveKeyThenWrite)};
};

enum class Registry { kAsUsual, kKeysMissing, kRefusesTheValue };

struct ModifyRow {
    const char* name;
    const char* key;
    bool admin;
    int osCode;
    const char* ie;
    int code;
    std::vector<unsigned> shown;
    int armed;
    Registry registry = Registry::kAsUsual;
};
void PrintTo(const ModifyRow& row, std::ostream* os) { *os << row.name; }

class ModifyKeys : public ::testing::TestWithParam<ModifyRow> {};

TEST_P(ModifyKeys, RunWhatTheTableSaysAndNothingElse) {
    const ModifyRow& row = GetParam();
    RegistrySandbox sandbox;  // the settings rows write the current user's browser and Media Player keys
    if (row.registry != Registry::kKeysMissing) {
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main");
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\New Windows");
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3");
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\MediaPlayer\\Preferences");
    }
    FakeRunProbes run;
    FakeGradingProbes grading;
    CTotalInfo info(run, grading);
    info.state().osCode = row.osCode;
    info.state().ieVersion = Version(row.ie);
    bool wasAdmin = GetModuleState().isAdmin;
    GetModuleState().isAdmin = row.admin;

    RecordingUi ui;
    {
        std::optional<KeyRemovedBeforeWrite> refusing;
        if (row.registry == Registry::kRefusesTheValue) EXPECT_TRUE(refusing.emplace().active());
        EXPECT_EQ(RunModify(row.key, info, ui), row.code);
    }
    EXPECT_EQ(ui.shown, row.shown);
    EXPECT_EQ(ui.armed, row.armed);
    GetModuleState().isAdmin = wasAdmin;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ModifyKeys,
    ::testing::Values(
        ModifyRow{"UnknownKey", "Nothing", true, 30, "11.0.9600.0", kUndefinedArgument, {}, 0},
        ModifyRow{"SrsNeedsAnAdministrator", "WMP10SRS", false, 30, "11.0.9600.0", kAdminOnlyFeature, {}, 0},
        ModifyRow{"SpMarkletOnlyOnXp", "SpMarklet", true, 30, "11.0.9600.0", kNotRelevantOs, {}, 0},
        ModifyRow{"PreapproveBeforeIe7SaysSo", "PreapproveMsorundll", false, 17, "6.0.2900.0", kOk,
                  {kNotRelevantIe7Text}, 0},
        ModifyRow{"PreapproveNeedsAnAdministrator", "PreapproveMsorundll", false, 30, "7.0.0.0", kAdminOnlyFeature, {}, 0},
        ModifyRow{"SoftwareRenderingInAnyCase", "usESWrender", false, 30, "11.0.9600.0", kOk, {kSucceededText}, 1},
        ModifyRow{"PopupBlocker", "IePopop", false, 30, "11.0.9600.0", kOk, {kSucceededText}, 1},
        ModifyRow{"StatusBarScript", "AllowStatusbarModifyByScript", false, 30, "11.0.9600.0", kOk, {kSucceededText},
                  1},
        ModifyRow{"ApproximateSeeking", "WMP11AllowApproximateSeeking", false, 30, "11.0.9600.0", kOk,
                  {kSucceededText}, 1},
        // A setting that could not be written is no success: no message, no fresh report.
        ModifyRow{"SoftwareRenderingWithoutItsKey", "UseSWRender", false, 30, "11.0.9600.0", kRegistryOpenFailed, {}, 0,
                  Registry::kKeysMissing},
        ModifyRow{"PopupBlockerWithoutItsKey", "IePopop", false, 30, "11.0.9600.0", kRegistryOpenFailed, {}, 0,
                  Registry::kKeysMissing},
        ModifyRow{"StatusBarScriptWithoutItsKey", "AllowStatusbarModifyByScript", false, 30, "11.0.9600.0",
                  kRegistryOpenFailed, {}, 0, Registry::kKeysMissing},
        // Nor is a value that the registry refused once its key had opened.
        ModifyRow{"SoftwareRenderingRefused", "UseSWRender", false, 30, "11.0.9600.0", kRegistryWriteFailed, {}, 0,
                  Registry::kRefusesTheValue},
        ModifyRow{"PopupBlockerRefused", "IePopop", false, 30, "11.0.9600.0", kRegistryWriteFailed, {}, 0,
                  Registry::kRefusesTheValue},
        ModifyRow{"StatusBarScriptRefused", "AllowStatusbarModifyByScript", false, 30, "11.0.9600.0",
                  kRegistryWriteFailed, {}, 0, Registry::kRefusesTheValue},
        ModifyRow{"ApproximateSeekingRefused", "WMP11AllowApproximateSeeking", false, 30, "11.0.9600.0",
                  kRegistryWriteFailed, {}, 0, Registry::kRefusesTheValue}),
    [](const ::testing::TestParamInfo<ModifyRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
