// 32-bit tabs in the 64-bit registry view, through tarrow.exe and REG on the real prefix registry.
// Every test puts the values it touches back as it found them.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "probes/ie_settings.h"
#include "probes/ie_tab_commands.h"
#include "probes/version_retriever.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

const char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr REGSAM k64 = KEY_WOW64_64KEY;

// --- The command texts ----------------------------------------------------------------------------

TEST(TabCommands, QueryTheTabValueOfARootAsADword) {
    EXPECT_EQ(TabProcGrowthQueryCommand("HKCU"),
              "REG QUERY <path>HKCU\\Software\\Microsoft\\Internet Explorer\\Main<path> /v TabProcGrowth /t REG_DWORD");
    EXPECT_EQ(TabProcGrowthQueryCommand("HKLM"),
              "REG QUERY <path>HKLM\\Software\\Microsoft\\Internet Explorer\\Main<path> /v TabProcGrowth /t REG_DWORD");
}

TEST(TabCommands, QueryThePathValueOfTheMachineAsText) {
    EXPECT_EQ(X86AppPathQueryCommand(),
              "REG QUERY <path>HKLM\\Software\\Microsoft\\Internet Explorer\\Main<path> /v x86AppPath /t REG_SZ");
}

TEST(TabCommands, DeleteTheTabValueWithoutAsking) {
    EXPECT_EQ(TabProcGrowthDeleteCommand("HKCU"),
              "REG DELETE <path>HKCU\\Software\\Microsoft\\Internet Explorer\\Main<path> /v TabProcGrowth /f");
}

TEST(TabCommands, AddThePathValueWithTheExecutableQuoted) {
    EXPECT_EQ(X86AppPathAddCommand("C:\\Program Files (x86)\\Internet Explorer\\IEXPLORE.EXE"),
              "REG ADD <path>HKLM\\Software\\Microsoft\\Internet Explorer\\Main<path> /v x86AppPath /t REG_SZ "
              "/d <path>C:\\Program Files (x86)\\Internet Explorer\\IEXPLORE.EXE<path> /f");
}

std::string ProgramFilesX86() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, SHGFP_TYPE_CURRENT, folder);
    return Narrow(std::wstring(folder));
}

TEST(TabCommands, PointAtTheBrowserInThe32BitProgramFiles) {
    ASSERT_NE(ProgramFilesX86(), "");
    EXPECT_EQ(Iexplore32Path(), ProgramFilesX86() + "\\Internet Explorer\\IEXPLORE.EXE");
}

// --- On the real registry -------------------------------------------------------------------------

// One registry value as it was found, put back on destruction.
class SavedValue {
public:
    SavedValue(HKEY root, const char* name) : root_(root), name_(Widen(name)) {
        unique_hkey key;
        if (RegOpenKeyExW(root_, Widen(kMain).c_str(), 0, KEY_READ | k64, key.addressof()) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type_, nullptr, &size) != ERROR_SUCCESS) return;
        data_.resize(size);
        present_ = RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
    ~SavedValue() {
        unique_hkey key;
        if (RegCreateKeyExW(root_, Widen(kMain).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | k64, nullptr,
                            key.addressof(), nullptr) != ERROR_SUCCESS)
            return;
        if (present_)
            RegSetValueExW(key.get(), name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        else
            RegDeleteValueW(key.get(), name_.c_str());
    }

private:
    HKEY root_;
    std::wstring name_;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
    bool present_ = false;
};

void DeleteValue(HKEY root, const char* name) {
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(kMain).c_str(), 0, KEY_ALL_ACCESS | k64, key.addressof()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), Widen(name).c_str());
}

class ThirtyTwoBitTabs : public ::testing::Test {
protected:
    ThirtyTwoBitTabs() {
        DeleteValue(HKEY_CURRENT_USER, kTabProcGrowthValue);
        DeleteValue(HKEY_LOCAL_MACHINE, kTabProcGrowthValue);
        DeleteValue(HKEY_LOCAL_MACHINE, kX86AppPathValue);
    }

    // The check as the diagnosis calls it, with the browser's own version taken from a sandbox.
    int Check(const char* ieVersion) {
        test::RegistrySandbox sandbox;
        test::SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer", "Version", ieVersion);
        int set = -1;
        EXPECT_EQ(CVersionRetriever().CheckIE32BitTabs(set), 0);
        return set;
    }

    std::vector<std::string> Logs() const { return test::LogFilesIn(temp_.path()); }

    SavedValue userTabs_{HKEY_CURRENT_USER, kTabProcGrowthValue};
    SavedValue machineTabs_{HKEY_LOCAL_MACHINE, kTabProcGrowthValue};
    SavedValue appPath_{HKEY_LOCAL_MACHINE, kX86AppPathValue};
    test::ScratchFolder temp_;
    test::TempFolderOverride tempOverride_{temp_.path()};
};

TEST_F(ThirtyTwoBitTabs, CountAsSetBelowIE9WithoutAsking) {
    test::SetDword(HKEY_LOCAL_MACHINE, kMain, kTabProcGrowthValue, 0, k64);
    EXPECT_EQ(Check("8.0.6001.18702"), 1);
}

TEST_F(ThirtyTwoBitTabs, MachineTabValueAloneIsWrongAndTheRepairSetsThemUp) {
    test::SetDword(HKEY_LOCAL_MACHINE, kMain, kTabProcGrowthValue, 0, k64);
    EXPECT_EQ(Check("9.11.9600.17031"), 0);  // IE 11
    EXPECT_TRUE(Logs().empty()) << "every query log is deleted once read";

    test::SetDword(HKEY_CURRENT_USER, kMain, kTabProcGrowthValue, 1, k64);
    EXPECT_EQ(CVersionRetriever().EnableIE32BitTabs(), 0);

    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kMain, kTabProcGrowthValue, k64));
    EXPECT_FALSE(test::ValuePresent(HKEY_LOCAL_MACHINE, kMain, kTabProcGrowthValue, k64));
    std::string appPath;
    DWORD type = 0;
    ASSERT_TRUE(test::ReadString(HKEY_LOCAL_MACHINE, kMain, kX86AppPathValue, appPath, &type, k64));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(appPath, ProgramFilesX86() + "\\Internet Explorer\\IEXPLORE.EXE");
    std::vector<std::string> repairLogs = Logs();
    EXPECT_EQ(repairLogs.size(), 3u) << "the three repair logs stay";
    for (const std::string& name : repairLogs) EXPECT_TRUE(test::IsRunnerLogName(name)) << name;

    EXPECT_EQ(Check("9.10.9200.16384"), 1);  // IE 10
    std::vector<std::string> after = Logs();
    std::sort(after.begin(), after.end());
    std::sort(repairLogs.begin(), repairLogs.end());
    EXPECT_EQ(after, repairLogs) << "the three queries left no log behind";
}

TEST_F(ThirtyTwoBitTabs, UserTabValueAloneIsWrong) {
    test::SetDword(HKEY_CURRENT_USER, kMain, kTabProcGrowthValue, 0, k64);
    test::SetString(HKEY_LOCAL_MACHINE, kMain, kX86AppPathValue, "C:\\IEXPLORE.EXE", REG_SZ, k64);
    EXPECT_EQ(Check("9.0.8112.16421"), 0);
}

TEST_F(ThirtyTwoBitTabs, NeedThePathValueAsText) {
    // Only a DWORD counts as a tab value, and only text as the path.
    test::SetString(HKEY_LOCAL_MACHINE, kMain, kTabProcGrowthValue, "0", REG_SZ, k64);
    test::SetDword(HKEY_LOCAL_MACHINE, kMain, kX86AppPathValue, 1, k64);
    EXPECT_EQ(Check("9.11.9600.17031"), 0);
}

}  // namespace
}  // namespace omni
