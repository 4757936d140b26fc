// The Flash settings file: reading the cross-domain choice and rewriting it in place.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "core/result_codes.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "probes/flash_security_setup.h"
#include "probes/version_retriever.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

const std::string kBelowAppData = "Macromedia\\Flash Player\\macromedia.com\\support\\flashplayer\\sys\\settings.sol";

// One Boolean property as Flash Player stores it: name length, name, type byte 1, value byte, end byte.
std::string BooleanProperty(const std::string& name, char value) {
    std::string bytes;
    bytes += '\0';
    bytes += static_cast<char>(name.size());
    bytes += name;
    bytes += '\x01';
    bytes += value;
    bytes += '\0';
    return bytes;
}

std::string Header() { return std::string("\x00\xBF\x00\x00\x01\x2ATCSO\x00\x04\x00\x00\x00\x00\x00\x08settings", 26); }

std::string SettingsFile(char allow, char always) {
    return Header() + BooleanProperty("allowThirdPartyLSOAccess", 1) + BooleanProperty(kFlashAllowName, allow) +
           BooleanProperty(kFlashAlwaysName, always) + BooleanProperty("trustedPaths", 0);
}

// A scratch application-data folder holding the settings file where Flash Player keeps it.
class FlashSettingsFile : public ::testing::Test {
protected:
    FlashSettingsFile() {
        std::string folder = appData_.path();
        for (const char* part : {"\\Macromedia", "\\Flash Player", "\\macromedia.com", "\\support", "\\flashplayer",
                                 "\\sys"}) {
            folder += part;
            CreateDirectoryW(Widen(folder).c_str(), nullptr);
        }
    }
    std::string settingsPath() const { return appData_.path() + "\\" + kBelowAppData; }
    void Write(const std::string& bytes) { WriteBytes(settingsPath(), bytes); }
    std::string Read() const { return ReadBytes(settingsPath()); }
    int ReadSetting() {
        CFlashSecuritySetup setup(appData_.path());
        return setup.ReadSetting();
    }

    ScratchFolder appData_;
};

struct CombinationRow {
    char allow;
    char always;
    int expected;
};
void PrintTo(const CombinationRow& row, std::ostream* os) { *os << "allow " << int(static_cast<unsigned char>(row.allow)) << ", always " << int(static_cast<unsigned char>(row.always)); }

class FlashSettingCombination : public FlashSettingsFile, public ::testing::WithParamInterface<CombinationRow> {};

TEST_P(FlashSettingCombination, ReadsTheChoiceOfTheTwoValueBytes) {
    Write(SettingsFile(GetParam().allow, GetParam().always));
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.ReadSetting(), GetParam().expected);
    EXPECT_EQ(setup.read, 1);
    EXPECT_EQ(setup.path, settingsPath());
    EXPECT_EQ(setup.allow, GetParam().allow == 1 ? 1 : 0);
    EXPECT_EQ(setup.always, GetParam().always == 1 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(AllowAndAlways, FlashSettingCombination,
                         ::testing::Values(CombinationRow{1, 1, kFlashAlwaysAllow},
                                           CombinationRow{0, 0, kFlashAlwaysAsk},
                                           CombinationRow{0, 1, kFlashAlwaysDeny},
                                           CombinationRow{1, 0, kFlashSettingUnknown},
                                           // Anything but 1 reads as false.
                                           CombinationRow{2, 1, kFlashAlwaysDeny},
                                           CombinationRow{1, '\xFF', kFlashSettingUnknown}),
                         [](const ::testing::TestParamInfo<CombinationRow>& info) {
                             return "Allow" + std::to_string(static_cast<unsigned char>(info.param.allow)) + "Always" +
                                    std::to_string(static_cast<unsigned char>(info.param.always));
                         });

TEST_F(FlashSettingsFile, OffsetsPointAtTheValueBytes) {
    std::string bytes = SettingsFile(1, 0);
    Write(bytes);
    CFlashSecuritySetup setup(appData_.path());
    setup.ReadSetting();
    EXPECT_EQ(setup.allowOffset, static_cast<long long>(bytes.find(kFlashAllowName) + 17));
    EXPECT_EQ(setup.alwaysOffset, static_cast<long long>(bytes.find(kFlashAlwaysName) + 18));
}

TEST_F(FlashSettingsFile, MissingAlwaysNameIsUnknownAndTheRepairLeavesTheFileAlone) {
    std::string bytes = Header() + BooleanProperty(kFlashAllowName, 0) + BooleanProperty("trustedPaths", 0);
    Write(bytes);
    EXPECT_EQ(ReadSetting(), kFlashSettingUnknown);
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 0);
    EXPECT_TRUE(Read() == bytes);
}

TEST_F(FlashSettingsFile, RepairOfAlwaysAskSetsBothValueBytesAndNothingElse) {
    std::string before = SettingsFile(0, 0);
    Write(before);
    CFlashSecuritySetup setup(appData_.path());
    ASSERT_EQ(setup.ReadSetting(), kFlashAlwaysAsk);
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 1);

    std::string after = Read();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (static_cast<long long>(i) == setup.allowOffset || static_cast<long long>(i) == setup.alwaysOffset)
            EXPECT_EQ(after[i], 1) << "value byte at " << i;
        else
            EXPECT_EQ(after[i], before[i]) << "byte " << i << " changed";
    }
    EXPECT_EQ(ReadSetting(), kFlashAlwaysAllow);
}

TEST_F(FlashSettingsFile, WriteWithoutReadReadsFirst) {
    Write(SettingsFile(1, 1));
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysDeny), 1);
    EXPECT_EQ(ReadSetting(), kFlashAlwaysDeny);
    CFlashSecuritySetup again(appData_.path());
    EXPECT_EQ(again.WriteSetting(kFlashAlwaysAsk), 1);
    EXPECT_EQ(ReadSetting(), kFlashAlwaysAsk);
}

TEST_F(FlashSettingsFile, UnknownChoiceWritesNothing) {
    std::string bytes = SettingsFile(0, 0);
    Write(bytes);
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.WriteSetting(3), 0);
    EXPECT_EQ(setup.WriteSetting(-1), 0);
    EXPECT_TRUE(Read() == bytes);
}

TEST_F(FlashSettingsFile, AllowWithoutAlwaysIsNotRepaired) {
    std::string bytes = SettingsFile(1, 0);
    Write(bytes);
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 0);
    EXPECT_TRUE(Read() == bytes);
}

TEST_F(FlashSettingsFile, WriteThatCannotOpenTheFileChangesNoByte) {
    std::string bytes = SettingsFile(0, 0);
    Write(bytes);
    CFlashSecuritySetup setup(appData_.path());
    ASSERT_EQ(setup.ReadSetting(), kFlashAlwaysAsk);
    {
        // Another program holds the file open and lets others only read it.
        unique_file holder(CreateFileW(Widen(settingsPath()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 0);
    }
    EXPECT_TRUE(Read() == bytes);
}

TEST_F(FlashSettingsFile, FileThatShrankSinceTheReadIsNotExtended) {
    Write(SettingsFile(0, 0));
    CFlashSecuritySetup setup(appData_.path());
    ASSERT_EQ(setup.ReadSetting(), kFlashAlwaysAsk);
    std::string shorter = Header();
    Write(shorter);
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 0);
    EXPECT_TRUE(Read() == shorter);
}

TEST_F(FlashSettingsFile, MissingFileEmptyFileAndAFewBytesAreUnknown) {
    EXPECT_EQ(ReadSetting(), kFlashSettingUnknown);
    Write("");
    EXPECT_EQ(ReadSetting(), kFlashSettingUnknown);
    Write(std::string("cr\x01", 3));
    EXPECT_EQ(ReadSetting(), kFlashSettingUnknown);
}

TEST_F(FlashSettingsFile, FolderInPlaceOfTheFileIsUnknown) {
    CreateDirectoryW(Widen(settingsPath()).c_str(), nullptr);
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.ReadSetting(), kFlashSettingUnknown);
    EXPECT_EQ(setup.read, 0);
    RemoveDirectoryW(Widen(settingsPath()).c_str());
}

TEST_F(FlashSettingsFile, NameEndingInTheLastByteIsNotFound) {
    Write(Header() + BooleanProperty(kFlashAllowName, 1) + std::string("\0\x11", 2) + kFlashAlwaysName);
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.ReadSetting(), kFlashSettingUnknown);
    EXPECT_GE(setup.allowOffset, 0);
    EXPECT_EQ(setup.alwaysOffset, -1);
}

TEST_F(FlashSettingsFile, NameEndingInTheLastButOneByteIsNotFound) {
    Write(Header() + BooleanProperty(kFlashAllowName, 1) + std::string("\0\x11", 2) + kFlashAlwaysName + "\x01");
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.ReadSetting(), kFlashSettingUnknown);
    EXPECT_EQ(setup.alwaysOffset, -1);
}

TEST_F(FlashSettingsFile, ValueInTheLastByteIsFound) {
    Write(Header() + BooleanProperty(kFlashAllowName, 1) + std::string("\0\x11", 2) + kFlashAlwaysName + "\x01\x01");
    EXPECT_EQ(ReadSetting(), kFlashAlwaysAllow);
}

TEST_F(FlashSettingsFile, FirstOccurrenceCounts) {
    Write(SettingsFile(0, 0) + BooleanProperty(kFlashAllowName, 1) + BooleanProperty(kFlashAlwaysName, 1));
    EXPECT_EQ(ReadSetting(), kFlashAlwaysAsk);
}

TEST_F(FlashSettingsFile, NamesAreCaseSensitive) {
    Write(Header() + BooleanProperty("CrossdomainAllow", 1) + BooleanProperty(kFlashAlwaysName, 1));
    EXPECT_EQ(ReadSetting(), kFlashSettingUnknown);
}

// Found by fuzzing: the value byte of one name was a letter of the other name, and the repair answered
// success while unnaming the other setting.
TEST_F(FlashSettingsFile, ValueByteOnTheOtherNameIsNotRewritten) {
    std::string bytes = Header() + kFlashAllowName + "\x01" + kFlashAlwaysName + std::string("\x01\x01\0", 3);
    Write(bytes);
    CFlashSecuritySetup setup(appData_.path());
    ASSERT_EQ(setup.ReadSetting(), kFlashAlwaysDeny);
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 0);
    EXPECT_TRUE(Read() == bytes);

    unsigned char allowByte = 0, alwaysByte = 0;
    const std::string reversed = kFlashAlwaysName + std::string("\x01") + kFlashAllowName + "\x01\x01";
    EXPECT_FALSE(FlashChoiceBytes(ReadFlashSettingBytes(reversed), kFlashAlwaysAsk, allowByte, alwaysByte));
}

TEST_F(FlashSettingsFile, LargeFileIsReadWhole) {
    // Several megabytes of other properties before the two that count, and a repair at their offsets.
    std::string filler(5 * 1024 * 1024 + 13, '\x5A');
    std::string bytes = Header() + filler + BooleanProperty(kFlashAllowName, 0) + BooleanProperty(kFlashAlwaysName, 0);
    Write(bytes);
    CFlashSecuritySetup setup(appData_.path());
    EXPECT_EQ(setup.ReadSetting(), kFlashAlwaysAsk);
    EXPECT_EQ(setup.allowOffset, static_cast<long long>(bytes.find(kFlashAllowName) + 17));
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 1);
    std::string after = Read();
    EXPECT_EQ(after.size(), bytes.size());
    EXPECT_EQ(ReadSetting(), kFlashAlwaysAllow);
}

TEST(FlashValueOffset, ReadsPastNeitherEndOfTheData) {
    EXPECT_EQ(FindFlashValueOffset("", kFlashAllowName), -1);
    EXPECT_EQ(FindFlashValueOffset("crossdomainAl", kFlashAllowName), -1);
    EXPECT_EQ(FindFlashValueOffset("crossdomainAllow", kFlashAllowName), -1);
    EXPECT_EQ(FindFlashValueOffset(std::string("crossdomainAllow\x01", 17), kFlashAllowName), -1);
    EXPECT_EQ(FindFlashValueOffset(std::string("crossdomainAllow\x01\x01", 18), kFlashAllowName), 17);
    // Neither name is found inside the other.
    EXPECT_EQ(FindFlashValueOffset(std::string("crossdomainAllow\x01\x01", 18), kFlashAlwaysName), -1);
    EXPECT_EQ(FindFlashValueOffset(std::string("crossdomainAlways\x01\x01", 19), kFlashAllowName), -1);
}

TEST(FlashSettingsPath, LiesBelowTheApplicationDataFolder) {
    EXPECT_EQ(FlashSettingsPathIn("C:\\Users\\me\\AppData\\Roaming"),
              "C:\\Users\\me\\AppData\\Roaming\\" + kBelowAppData);
    EXPECT_EQ(FlashSettingsPathIn("D:\\"), "D:\\" + kBelowAppData);
    EXPECT_EQ(FlashSettingsPathIn(""), "");
}

TEST(FlashSettingsPath, UsesTheUsersRoamingApplicationDataFolder) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    CFlashSecuritySetup setup;
    EXPECT_EQ(setup.GetSettingsPath(), Narrow(folder) + "\\" + kBelowAppData);
}

TEST(FlashSettingsPath, MissingApplicationDataFolderGivesNoPathAndUnknown) {
    CFlashSecuritySetup setup("");
    EXPECT_EQ(setup.GetSettingsPath(), "");
    EXPECT_EQ(setup.ReadSetting(), kFlashSettingUnknown);
    EXPECT_EQ(setup.WriteSetting(kFlashAlwaysAllow), 0);
}

// The façade works on the real user's file: it is put in place for the test and removed afterwards.
class FlashSecurityFacade : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = CFlashSecuritySetup().GetSettingsPath();
        ASSERT_FALSE(path_.empty());
        ASSERT_FALSE(test::FileExists(path_)) << "the prefix already has a Flash settings file";
        std::string folder = path_.substr(0, path_.rfind('\\'));
        int created = SHCreateDirectoryExW(nullptr, Widen(folder).c_str(), nullptr);
        ASSERT_TRUE(created == ERROR_SUCCESS || created == ERROR_ALREADY_EXISTS) << created;
    }
    void TearDown() override { DeleteFileW(Widen(path_).c_str()); }

    std::string path_;
};

TEST_F(FlashSecurityFacade, ChecksAndRepairsTheUsersSettingsFile) {
    CVersionRetriever retriever;
    int setting = -1;
    EXPECT_EQ(retriever.CheckFlashSecurity(setting), kOk);
    EXPECT_EQ(setting, kFlashSettingUnknown);
    EXPECT_EQ(retriever.RepairFlashSecurity(), kFlashSettingsFailed);

    WriteBytes(path_, SettingsFile(0, 1));
    EXPECT_EQ(retriever.CheckFlashSecurity(setting), kOk);
    EXPECT_EQ(setting, kFlashAlwaysDeny);
    EXPECT_EQ(retriever.RepairFlashSecurity(), kOk);
    EXPECT_EQ(retriever.CheckFlashSecurity(setting), kOk);
    EXPECT_EQ(setting, kFlashAlwaysAllow);
}

TEST_F(FlashSecurityFacade, LockedFileIsReportedAsFailedRepair) {
    std::string bytes = SettingsFile(0, 0);
    WriteBytes(path_, bytes);
    {
        unique_file holder(CreateFileW(Widen(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_EQ(CVersionRetriever().RepairFlashSecurity(), kFlashSettingsFailed);
    }
    EXPECT_TRUE(ReadBytes(path_) == bytes);
}

}  // namespace
}  // namespace omni
