// The process-wide folder manager, computed from this machine for each install mode.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "machine/folder_mng.h"
#include "platform/text.h"
#include "tests/components/component_test_support.h"

namespace omni {
namespace {

std::string SystemFolderOfThisMachine() {
    wchar_t buffer[MAX_PATH];
    GetSystemDirectoryW(buffer, MAX_PATH);
    return Narrow(buffer) + "\\";
}

std::string AppDataOfThisUser() {
    wchar_t buffer[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
    return Narrow(buffer) + "\\";
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWithBackslash(const std::string& text) { return !text.empty() && text.back() == '\\'; }

class FolderManagerInMode : public testing::TestWithParam<int> {};

TEST_P(FolderManagerInMode, ComputesEveryFolderOfThisMachine) {
    test::ModuleStateScope state(GetParam(), false);
    ASSERT_EQ(state.initResult(), 0);
    const CFolderMng& folders = GetFolderMng();
    const std::string temp = folders.GetTempFolder();
    EXPECT_TRUE(EndsWithBackslash(temp)) << temp;
    EXPECT_TRUE(IsDirectory(temp)) << temp;
    EXPECT_TRUE(EqualsNoCase(folders.GetSystemFolder(), SystemFolderOfThisMachine())) << folders.GetSystemFolder();
    EXPECT_EQ(folders.GetUserZ4Folder(), AppDataOfThisUser() + "Orvane Zentra\\ocx4\\");
    EXPECT_EQ(folders.GetUserZ3Folder(), AppDataOfThisUser() + "Orvane Zentra\\ocx\\");
    EXPECT_TRUE(IsDirectory(folders.GetUserZ4Folder()));
    EXPECT_TRUE(IsDirectory(folders.GetUserZ3Folder()));

    if (GetParam() == kInstallModeWeb) {
        EXPECT_EQ(folders.GetLocalBaseFolder(), "");
        EXPECT_EQ(folders.GetDllFolder(), temp);
        EXPECT_EQ(folders.GetZ4OcxFolder(), temp);
        EXPECT_EQ(folders.GetZ3OcxFolder(), temp);
        EXPECT_EQ(folders.GetInstallerFolder(), temp);
        EXPECT_EQ(folders.GetZ4UrlPart(), "Z4OCX/");
        EXPECT_EQ(folders.GetZ3UrlPart(), "Z3OCX/");
        EXPECT_EQ(folders.GetOcxListZ4Path(), temp + "ocxlistz4.txt");
        EXPECT_EQ(folders.GetOcxListZ3Path(), temp + "ocxlistz3.txt");
    } else {
        const std::string base = test::TestBinBase();  // the hosting executable is the test program
        EXPECT_EQ(folders.GetLocalBaseFolder(), base);
        EXPECT_EQ(folders.GetDllFolder(), base + "DLL\\");
        EXPECT_EQ(folders.GetZ4OcxFolder(), base + "Z4OCX\\");
        EXPECT_EQ(folders.GetZ3OcxFolder(), base + "Z3OCX\\");
        EXPECT_EQ(folders.GetInstallerFolder(), base + "Installer\\");
        EXPECT_EQ(folders.GetZ4UrlPart(), "");
        EXPECT_EQ(folders.GetZ3UrlPart(), "");
        EXPECT_EQ(folders.GetOcxListZ4Path(), base + "Z4OCX\\ocxlistz4.txt");
        EXPECT_EQ(folders.GetOcxListZ3Path(), base + "Z3OCX\\ocxlistz3.txt");
    }
}

TEST_P(FolderManagerInMode, SwitchZ4To98MovesOnlyTheZ4ControlsAndCanRepeat) {
    test::ModuleStateScope state(GetParam(), false);
    ASSERT_EQ(state.initResult(), 0);
    CFolderMng& folders = GetFolderMng();
    const std::string z3Before = folders.GetZ3OcxFolder();
    const std::string dllBefore = folders.GetDllFolder();
    folders.SwitchZ4To98();
    folders.SwitchZ4To98();

    if (GetParam() == kInstallModeWeb) {
        // The list file stays in the temporary folder; only the control downloads move.
        EXPECT_EQ(folders.GetZ4UrlPart(), "Z4OCX/98/");
        EXPECT_EQ(folders.GetZ4OcxFolder(), folders.GetTempFolder());
        EXPECT_EQ(folders.GetOcxListZ4Path(), folders.GetTempFolder() + "ocxlistz4.txt");
        EXPECT_EQ(folders.GetZ3UrlPart(), "Z3OCX/");
    } else {
        const std::string base = test::TestBinBase();
        EXPECT_EQ(folders.GetZ4OcxFolder(), base + "Z4OCX\\98\\");
        EXPECT_EQ(folders.GetOcxListZ4Path(), base + "Z4OCX\\98\\ocxlistz4.txt");
        EXPECT_EQ(folders.GetZ4UrlPart(), "");
    }
    EXPECT_EQ(folders.GetZ3OcxFolder(), z3Before);
    EXPECT_EQ(folders.GetDllFolder(), dllBefore);
}

INSTANTIATE_TEST_SUITE_P(Modes, FolderManagerInMode,
                         testing::Values(kInstallModeLocal, kInstallModeWeb, kInstallModeLocalLinks),
                         [](const testing::TestParamInfo<int>& info) { return "Mode" + std::to_string(info.param); });

TEST(FolderManager, InitOnWindows7LeavesTheNt60FlagClear) {
    ClearNt60FolderFlag();
    test::ModuleStateScope state(kInstallModeWeb, false);
    ASSERT_EQ(state.initResult(), 0);
    EXPECT_FALSE(GetNt60FolderFlag());
}

TEST(FolderManager, KeepsTheServerUrlAcrossInit) {
    CFolderMng folders;
    EXPECT_EQ(folders.GetServerUrl(), "");
    folders.SetServerUrl("http://example.test/content/");
    ASSERT_EQ(folders.Init(), 0);
    EXPECT_EQ(folders.GetServerUrl(), "http://example.test/content/");
}

}  // namespace
}  // namespace omni
