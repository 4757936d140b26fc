// Modify's key table: which key runs, what it needs first, and what follows — answered, shown and armed —
// for the keys whose conditions decide, and for settings that a registry sandbox can take.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/repair_flow.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "diagnosis/total_info.h"
#include "tests/support/fake_diagnosis_probes.h"
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

struct ModifyRow {
    const char* key;
    bool admin;
    int osCode;
    const char* ie;
    int code;
    std::vector<unsigned> shown;
    int armed;
    bool browserKeys = true;  // false: the keys the settings live in are missing, so nothing can be written
};

class ModifyKeys : public ::testing::TestWithParam<ModifyRow> {};

TEST_P(ModifyKeys, RunWhatTheTableSaysAndNothingElse) {
    const ModifyRow& row = GetParam();
    RegistrySandbox sandbox;  // the settings rows write the current user's browser keys
    if (row.browserKeys) {
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main");
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\New Windows");
        CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3");
    }
    FakeRunProbes run;
    FakeGradingProbes grading;
    CTotalInfo info(run, grading);
    info.state().osCode = row.osCode;
    info.state().ieVersion = Version(row.ie);
    bool wasAdmin = GetModuleState().isAdmin;
    GetModuleState().isAdmin = row.admin;

    RecordingUi ui;
    EXPECT_EQ(RunModify(row.key, info, ui), row.code);
    EXPECT_EQ(ui.shown, row.shown);
    EXPECT_EQ(ui.armed, row.armed);
    GetModuleState().isAdmin = wasAdmin;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ModifyKeys,
    ::testing::Values(
        ModifyRow{"Nothing", true, 30, "11.0.9600.0", kUndefinedArgument, {}, 0},
        ModifyRow{"WMP10SRS", false, 30, "11.0.9600.0", kAdminOnlyFeature, {}, 0},
        ModifyRow{"SpMarklet", true, 30, "11.0.9600.0", kNotRelevantOs, {}, 0},
        ModifyRow{"PreapproveMsorundll", false, 17, "6.0.2900.0", kOk, {kNotRelevantIe7Text}, 0},
        ModifyRow{"PreapproveMsorundll", false, 30, "7.0.0.0", kAdminOnlyFeature, {}, 0},
        ModifyRow{"usESWrender", false, 30, "11.0.9600.0", kOk, {kSucceededText}, 1},
        ModifyRow{"IePopop", false, 30, "11.0.9600.0", kOk, {kSucceededText}, 1},
        ModifyRow{"AllowStatusbarModifyByScript", false, 30, "11.0.9600.0", kOk, {kSucceededText}, 1},
        // A setting that could not be written is no success: no message, no fresh report.
        ModifyRow{"UseSWRender", false, 30, "11.0.9600.0", kRegistryOpenFailed, {}, 0, false},
        ModifyRow{"IePopop", false, 30, "11.0.9600.0", kRegistryOpenFailed, {}, 0, false},
        ModifyRow{"AllowStatusbarModifyByScript", false, 30, "11.0.9600.0", kRegistryOpenFailed, {}, 0, false}));

}  // namespace
}  // namespace omni::test
