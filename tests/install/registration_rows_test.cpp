// The registration manager's rows, through the page container as an administrator in local mode: the new
// copy registers itself (its own code, even while the old copy is loaded in the container), the per-user
// registration goes only once the new copy has registered, and a copy that fails to load or register
// leaves the old copy and the old registration in place.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <string>

#include "machine/component_ids.h"
#include "machine/user_mode_ocx_register_util.h"
#include "tests/install/install_suite.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const std::string kClasses = std::string("CLSID\\") + kComponentIds[kQuadrelRow].clsid;
const std::string kPerUser = "Software\\Classes\\" + kClasses;
const std::string kOld = "old component";

std::string UserZ4File(const std::string& name) {
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return Narrow(appData) + "\\Orvane Zentra\\ocx4\\" + name;
}

bool Regsvr32(const std::string& options, const std::string& path) {
    ScratchFolder output;
    return RunCaptured("\"" + SystemFile("regsvr32.exe") + "\" /s " + options + " \"" + path + "\"", output.path())
               .exitCode == 0;
}

// Quadrel registered for the user only, from the user's component folder, as a user's install leaves it.
void RegisterForTheUser() {
    DeleteFileW(Widen(UserZ4File("Quadrel.ocx")).c_str());  // a new file: the throwaway prefix links drive C
    WriteBytes(UserZ4File("Quadrel.ocx"), SignedVariant("maker", "regserver_standin.dll"));
    GetUserModeOcxRegisterUtil().SetFolder("Quadrel.ocx", UserZ4File(""));
    ASSERT_EQ(GetUserModeOcxRegisterUtil().Register("Quadrel.ocx"), 1);
}

// The old Quadrel registered machine-wide from the system folder, as an administrator's install leaves it.
void OldQuadrelForTheMachine() {
    ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\standin_old\\Quadrel.ocx").c_str(),
                          Widen(SystemFile("Quadrel.ocx")).c_str(), FALSE));
    ASSERT_TRUE(Regsvr32("", SystemFile("Quadrel.ocx")));
}

std::string MachineValue(const std::string& name) {
    std::string value;
    ReadString(HKEY_CLASSES_ROOT, kClasses, name, value);
    return value;
}

struct RegistrationRow {
    const char* name;
    const char* newCopy;     // the file under Z4OCX\Quadrel.ocx
    const char* standinMode;  // OMNI_REGSERVER_STANDIN for the copy's registration: "", "fails", "noload"
    std::function<void()> before;
    const char* returned;
    std::function<void()> after;
};
void PrintTo(const RegistrationRow& row, std::ostream* os) { *os << row.name; }

class Registration : public InstallSuite<::testing::TestWithParam<RegistrationRow>> {
protected:
    void TearDown() override {
        SetEnvironmentVariableW(L"OMNI_REGSERVER_STANDIN", nullptr);
        if (!MachineValue("StandinVersion").empty()) Regsvr32("/u", SystemFile("Quadrel.ocx"));
        GetUserModeOcxRegisterUtil().Unregister("Quadrel.ocx");
        for (const std::string& file : {SystemFile("Quadrel.ocx"), SystemFile("Quadrel.ocx.log"), UserZ4File("Quadrel.ocx")})
            DeleteFileW(Widen(file).c_str());
        RemoveAsides(SystemFile("Quadrel.ocx"));
    }
};

TEST_P(Registration, LeavesTheControlRegisteredWhereverTheNewCopyFails) {
    const RegistrationRow& row = GetParam();
    WriteBytes(page_.file("Z4OCX\\ocxlistz4.txt"), "Quadrel.ocx 1.0.0.5\r\n");
    WriteBytes(page_.file("Z4OCX\\Quadrel.ocx"), ReadBytes(TestBinFolder() + "\\" + row.newCopy));
    row.before();
    if (*row.standinMode) SetEnvironmentVariableW(L"OMNI_REGSERVER_STANDIN", Widen(row.standinMode).c_str());
    PageRun run = RunLocal("Omniprobe.Retrieve();\ndocument.write('return ' + Omniprobe.InstallOcx('Quadrel.ocx') + "
                           "'\\n');\nwindow.close(0);\n");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.returned, row.returned) << run.out;
    row.after();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Registration,
    ::testing::Values(
        RegistrationRow{"RegisteredCopyTakesOverFromThePerUserRegistration", "named\\Quadrel.ocx", "",
                        RegisterForTheUser, "0",
                        [] {
                            EXPECT_EQ(ReadBytes(SystemFile("Quadrel.ocx.log")), "registered\n");
                            EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, kPerUser));
                        }},
        RegistrationRow{"CopyThatFailsToRegisterKeepsThePerUserRegistration", "named\\Quadrel.ocx", "fails",
                        RegisterForTheUser, "-60",
                        [] {
                            EXPECT_EQ(ReadBytes(SystemFile("Quadrel.ocx.log")), "failed\n");
                            EXPECT_FALSE(FileExists(SystemFile("Quadrel.ocx")));
                            EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, kPerUser));
                        }},
        RegistrationRow{"CopyThatDoesNotLoadKeepsThePerUserRegistration", "named\\Quadrel.ocx", "noload",
                        RegisterForTheUser, "-61",
                        [] {
                            EXPECT_FALSE(FileExists(SystemFile("Quadrel.ocx")));
                            EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, kPerUser));
                        }},
        // The diagnosis creates the old control in the container, so the old module is loaded there under
        // the very path the new copy takes; the new copy's own registration must run, not the old one's.
        RegistrationRow{"NewCopyRegistersItselfWhileTheOldIsLoaded", "standin\\Quadrel.ocx", "",
                        [] {
                            OldQuadrelForTheMachine();
                            ASSERT_EQ(MachineValue("StandinVersion"), "1.0.0.4");
                        },
                        "0",
                        [] {
                            EXPECT_EQ(MachineValue("StandinVersion"), "1.0.0.5");
                            EXPECT_EQ(ReadBytes(SystemFile("Quadrel.ocx")),
                                      ReadBytes(TestBinFolder() + "\\standin\\Quadrel.ocx"));
                        }},
        RegistrationRow{"CopyThatFailsToRegisterPutsTheOldCopyBack", "named\\Quadrel.ocx", "fails",
                        [] { WriteBytes(SystemFile("Quadrel.ocx"), kOld); }, "-60",
                        [] { EXPECT_EQ(ReadBytes(SystemFile("Quadrel.ocx")), kOld); }}),
    [](const ::testing::TestParamInfo<RegistrationRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
