#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/result_codes.h"
#include "platform/text.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wine_module_override.h"

namespace omni {
namespace {

using test::ScratchFolder;
using test::SetDword;
using test::SetString;
using test::TestBinFolder;

const char kMediaPlayerKey[] = "Software\\Microsoft\\MediaPlayer";
const char kFolderValue[] = "Installation Directory";

void CopyFixture(const std::string& fixture, const std::string& target) {
    ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\" + fixture).c_str(), Widen(target).c_str(), FALSE)) << target;
}

class RetrieveWMPVersionTest : public ::testing::Test {
protected:
    void InstallIn(const std::string& folder, DWORD type = REG_SZ) {
        SetString(HKEY_LOCAL_MACHINE, kMediaPlayerKey, kFolderValue, folder, type);
    }
    int Retrieve() { return CVersionRetriever().RetrieveWMPVersion(version_); }

    test::WineNativeModule native_{"wmplayer.exe"};  // before the sandbox: it writes the real registry
    test::RegistrySandbox sandbox_;
    ScratchFolder player_;
    Version version_{"5.5.5.5"};
};

TEST_F(RetrieveWMPVersionTest, ReadsWmplayerExe) {
    CopyFixture("wmplayer_standin.exe", player_.file("wmplayer.exe"));
    CopyFixture("mplayer2_standin.exe", player_.file("mplayer2.exe"));
    InstallIn(player_.path());
    EXPECT_EQ(Retrieve(), kOk);
    EXPECT_EQ(version_.GetText(), "12.0.7601.17514");
}

TEST_F(RetrieveWMPVersionTest, FallsBackToMplayer2ExeWithoutWmplayerExe) {
    CopyFixture("mplayer2_standin.exe", player_.file("mplayer2.exe"));
    InstallIn(player_.path());
    EXPECT_EQ(Retrieve(), kOk);
    EXPECT_EQ(version_.GetText(), "6.4.9.1133");
}

TEST_F(RetrieveWMPVersionTest, TakesAFolderNamedWmplayerExeForNoFile) {
    ASSERT_TRUE(CreateDirectoryW(Widen(player_.file("wmplayer.exe")).c_str(), nullptr));
    CopyFixture("mplayer2_standin.exe", player_.file("mplayer2.exe"));
    InstallIn(player_.path());
    EXPECT_EQ(Retrieve(), kOk);
    EXPECT_EQ(version_.GetText(), "6.4.9.1133");
}

TEST_F(RetrieveWMPVersionTest, AnswersZeroVersionButSuccessWithNeitherFile) {
    InstallIn(player_.path());
    EXPECT_EQ(Retrieve(), kOk);
    EXPECT_EQ(version_.GetText(), "0.0.0.0");
}

TEST_F(RetrieveWMPVersionTest, AnswersZeroVersionForAPlayerWithoutVersion) {
    CopyFixture("noversion.dll", player_.file("wmplayer.exe"));
    CopyFixture("mplayer2_standin.exe", player_.file("mplayer2.exe"));
    InstallIn(player_.path());
    EXPECT_EQ(Retrieve(), kOk);
    EXPECT_EQ(version_.GetText(), "0.0.0.0") << "wmplayer.exe exists, so mplayer2.exe is not tried";
}

TEST_F(RetrieveWMPVersionTest, ExpandsEnvironmentVariablesInTheFolder) {
    std::string parent = player_.path().substr(0, player_.path().rfind('\\'));
    std::string leaf = player_.path().substr(parent.size() + 1);
    ASSERT_TRUE(SetEnvironmentVariableW(L"ORVANE_PLAYER_ROOT", Widen(parent).c_str()));
    CopyFixture("wmplayer_standin.exe", player_.file("wmplayer.exe"));
    InstallIn("%ORVANE_PLAYER_ROOT%\\" + leaf, REG_EXPAND_SZ);
    EXPECT_EQ(Retrieve(), kOk);
    SetEnvironmentVariableW(L"ORVANE_PLAYER_ROOT", nullptr);
    EXPECT_EQ(version_.GetText(), "12.0.7601.17514");
}

TEST_F(RetrieveWMPVersionTest, AnswersOpenFailedWithoutTheKeyAndLeavesTheVersion) {
    EXPECT_EQ(Retrieve(), kRegistryOpenFailed);
    EXPECT_EQ(version_.GetText(), "5.5.5.5");
}

TEST_F(RetrieveWMPVersionTest, AnswersReadFailedWithoutTheValueAndLeavesTheVersion) {
    test::CreateKey(HKEY_LOCAL_MACHINE, kMediaPlayerKey);
    EXPECT_EQ(Retrieve(), kRegistryReadFailed);
    SetDword(HKEY_LOCAL_MACHINE, kMediaPlayerKey, kFolderValue, 1);
    EXPECT_EQ(Retrieve(), kRegistryReadFailed);
    EXPECT_EQ(version_.GetText(), "5.5.5.5");
}

}  // namespace
}  // namespace omni
