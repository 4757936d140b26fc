// A user without administrator rights: ReplaceOcx puts the control into the user's own folder and
// registers it under the user's classes, without loading it. The registry is the prefix's own, not a
// sandbox: the publisher check reads the machine's certificate stores from it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "install/component_list.h"
#include "install/ocx_dll_register_manager.h"
#include "machine/folder_mng.h"
#include "machine/user_mode_ocx_register_util.h"
#include "platform/text.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

class PerUserReplacement : public ::testing::Test {
protected:
    void SetUp() override {
        GetFolderMng().SetInstallMode(kInstallModeLocal);
        GetModuleState().isAdmin = false;
        ASSERT_EQ(GetFolderMng().Init(), kOk);  // local mode: the sources sit beside this program
        CreateDirectoryW(Widen(GetFolderMng().GetZ3OcxFolder()).c_str(), nullptr);
        source_ = GetFolderMng().GetZ3OcxFolder() + "QuadrelU.ocx";
        destination_ = GetFolderMng().GetUserZ3Folder() + "QuadrelU.ocx";
        WriteBytes(source_, ReadBytes(TestBinFolder() + "\\standin\\QuadrelU.ocx"));
    }
    void TearDown() override {
        GetUserModeOcxRegisterUtil().Unregister("QuadrelU.ocx");
        DeleteFileW(Widen(source_).c_str());
        RemoveDirectoryW(Widen(GetFolderMng().GetZ3OcxFolder()).c_str());
        DeleteFileW(Widen(destination_).c_str());
        GetModuleState() = saved_;
        GetFolderMng().SetInstallMode(savedMode_);
        GetFolderMng().Init();
    }

    ModuleState saved_ = GetModuleState();
    int savedMode_ = GetFolderMng().GetInstallMode();
    std::string source_, destination_;
};

TEST_F(PerUserReplacement, ControlLandsInTheUserFolderAndIsRegisteredForTheUser) {
    ASSERT_FALSE(ReadBytes(source_).empty());
    EXPECT_EQ(COCXDLLRegisterManager().ReplaceOcx("QuadrelU.ocx", kKindZ3Control, Version("1.0.0.5")), kOk);
    EXPECT_NE(destination_.find("\\Orvane Zentra\\ocx\\"), std::string::npos) << destination_;
    EXPECT_EQ(ReadBytes(destination_), ReadBytes(source_));
    const std::string clsid = GetUserModeOcxRegisterUtil().GetClsidText("QuadrelU.ocx");
    std::string server;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32", "", server));
    EXPECT_EQ(server, destination_);
    // Never loaded: a per-user install cannot run the machine-wide self-registration.
    EXPECT_EQ(GetModuleHandleW(Widen(destination_).c_str()), nullptr);
}

}  // namespace
}  // namespace omni::test
