// Status-bar script and software rendering, on a sandboxed registry.
#include <gtest/gtest.h>

#include "core/result_codes.h"
#include "probes/ie_settings.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

using test::RegistrySandbox;

const char kIEKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";
const char* const kNoIE = nullptr;

void InstallIE(const char* version, DWORD type = REG_SZ) {
    if (version) test::SetString(HKEY_LOCAL_MACHINE, kIEKey, "Version", version, type);
}

// How a DWORD setting is found on the machine.
enum class Stored { KeyMissing, Absent, Zero, One, Three, Text };

const char* Describe(Stored s) {
    switch (s) {
        case Stored::KeyMissing: return "KeyMissing";
        case Stored::Absent: return "Absent";
        case Stored::Zero: return "Zero";
        case Stored::One: return "One";
        case Stored::Three: return "Three";
        case Stored::Text: return "Text";
    }
    return "?";
}

void Store(const char* key, const char* name, Stored s) {
    switch (s) {
        case Stored::KeyMissing: return;
        case Stored::Absent: test::CreateKey(HKEY_CURRENT_USER, key); return;
        case Stored::Zero: test::SetDword(HKEY_CURRENT_USER, key, name, 0); return;
        case Stored::One: test::SetDword(HKEY_CURRENT_USER, key, name, 1); return;
        case Stored::Three: test::SetDword(HKEY_CURRENT_USER, key, name, 3); return;
        case Stored::Text: test::SetString(HKEY_CURRENT_USER, key, name, "1"); return;
    }
}

// --- GetIEMajorVersion ----------------------------------------------------------------------------

struct MajorRow {
    const char* version;
    DWORD type;
    unsigned major;
};
void PrintTo(const MajorRow& row, std::ostream* os) {
    *os << (row.version ? '"' + std::string(row.version) + '"' : std::string("no browser"));
}

class IEMajorVersion : public ::testing::TestWithParam<MajorRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(IEMajorVersion, IsTheNumberBeforeTheFirstDot) {
    const MajorRow& row = GetParam();
    InstallIE(row.version, row.type);
    EXPECT_EQ(CIESettings().GetIEMajorVersion(), row.major) << (row.version ? row.version : "(none)");
}

INSTANTIATE_TEST_SUITE_P(VersionTexts, IEMajorVersion,
                         ::testing::Values(MajorRow{"6.0.2900.5512", REG_SZ, 6},
                                           MajorRow{"8.0.6001.18702", REG_SZ, 8},
                                           MajorRow{"9.0.8112.16421", REG_SZ, 9},
                                           MajorRow{"9.10.9200.16384", REG_SZ, 9},   // IE 10
                                           MajorRow{"9.11.9600.17031", REG_SZ, 9},   // IE 11
                                           MajorRow{"9.11.9600.17031", REG_EXPAND_SZ, 9},
                                           MajorRow{"11", REG_SZ, 11},
                                           MajorRow{"10x.1", REG_SZ, 10},
                                           MajorRow{"beta 7", REG_SZ, 0},
                                           MajorRow{"", REG_SZ, 0},
                                           MajorRow{kNoIE, REG_SZ, 0}),
                         test::NamedBy<&MajorRow::version>());

TEST(IEMajorVersionTest, VersionStoredAsBinaryIsNotDeterminable) {
    RegistrySandbox sandbox;
    test::SetString(HKEY_LOCAL_MACHINE, kIEKey, "Version", "9.11.9600.17031", REG_BINARY);
    EXPECT_EQ(CIESettings().GetIEMajorVersion(), 0u);
}

// --- Status bar updates through script ------------------------------------------------------------

struct SettingRow {
    const char* ieVersion;
    Stored stored;
    int correct;
};

std::string RowName(const ::testing::TestParamInfo<SettingRow>& info) {
    std::string ie = info.param.ieVersion ? std::string("IE") + info.param.ieVersion : "NoIE";
    for (char& c : ie) {
        if (c == '.') c = '_';
    }
    return ie + "_" + Describe(info.param.stored);
}

class StatusBarScriptCheck : public ::testing::TestWithParam<SettingRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(StatusBarScriptCheck, AnswersWhetherScriptMayUpdateTheStatusBar) {
    InstallIE(GetParam().ieVersion);
    Store(kInternetZoneKey, kStatusBarScriptValue, GetParam().stored);
    int allowed = -1;
    EXPECT_EQ(CVersionRetriever().CheckStatusBarScript(allowed), 0);
    EXPECT_EQ(allowed, GetParam().correct);
}

INSTANTIATE_TEST_SUITE_P(
    SettingsTable, StatusBarScriptCheck,
    ::testing::Values(SettingRow{"6.0.2900.5512", Stored::Absent, 0}, SettingRow{"6.0.2900.5512", Stored::Zero, 0},
                      SettingRow{"6.0.2900.5512", Stored::Three, 0},
                      SettingRow{"8.0.6001.18702", Stored::KeyMissing, 1},
                      SettingRow{"8.0.6001.18702", Stored::Absent, 1}, SettingRow{"8.0.6001.18702", Stored::Zero, 1},
                      SettingRow{"8.0.6001.18702", Stored::Three, 0},
                      SettingRow{"9.11.9600.17031", Stored::Zero, 1},
                      SettingRow{"9.11.9600.17031", Stored::Three, 0}, SettingRow{kNoIE, Stored::Zero, 0}),
    RowName);

TEST(StatusBarScriptRepair, WritesZeroSoTheCheckPasses) {
    RegistrySandbox sandbox;
    InstallIE("8.0.6001.18702");
    Store(kInternetZoneKey, kStatusBarScriptValue, Stored::Three);
    CVersionRetriever facade;
    EXPECT_EQ(facade.AllowStatusBarScript(), 0);
    DWORD value = 99;
    ASSERT_TRUE(test::ReadDword(HKEY_CURRENT_USER, kInternetZoneKey, kStatusBarScriptValue, value));
    EXPECT_EQ(value, 0u);
    int allowed = 0;
    facade.CheckStatusBarScript(allowed);
    EXPECT_EQ(allowed, 1);
}

TEST(StatusBarScriptRepair, CreatesNoMissingZoneKeyAndSaysSo) {
    RegistrySandbox sandbox;
    InstallIE("8.0.6001.18702");
    test::CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones");
    EXPECT_EQ(CVersionRetriever().AllowStatusBarScript(), kRegistryOpenFailed);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kInternetZoneKey));
}

// --- Software rendering ---------------------------------------------------------------------------

class SoftwareRenderingCheck : public ::testing::TestWithParam<SettingRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(SoftwareRenderingCheck, AnswersWhetherSoftwareRenderingIsOn) {
    InstallIE(GetParam().ieVersion);
    Store(kIEMainKey, kSoftwareRenderValue, GetParam().stored);
    int on = -1;
    EXPECT_EQ(CVersionRetriever().CheckSoftwareRendering(on), 0);
    EXPECT_EQ(on, GetParam().correct);
}

INSTANTIATE_TEST_SUITE_P(
    SettingsTable, SoftwareRenderingCheck,
    ::testing::Values(SettingRow{"8.0.6001.18702", Stored::Absent, 1}, SettingRow{"8.0.6001.18702", Stored::Zero, 1},
                      SettingRow{kNoIE, Stored::Zero, 1}, SettingRow{"9.0.8112.16421", Stored::Absent, 0},
                      SettingRow{"9.0.8112.16421", Stored::One, 1},
                      SettingRow{"9.10.9200.16384", Stored::KeyMissing, 0},
                      SettingRow{"9.10.9200.16384", Stored::One, 1},
                      SettingRow{"9.11.9600.17031", Stored::Absent, 0},
                      SettingRow{"9.11.9600.17031", Stored::Zero, 0}, SettingRow{"9.11.9600.17031", Stored::One, 1},
                      SettingRow{"9.11.9600.17031", Stored::Three, 0},
                      SettingRow{"9.11.9600.17031", Stored::Text, 0}),
    RowName);

TEST(SoftwareRenderingRepair, WritesOneSoTheCheckPasses) {
    RegistrySandbox sandbox;
    InstallIE("9.11.9600.17031");
    Store(kIEMainKey, kSoftwareRenderValue, Stored::Zero);
    CVersionRetriever facade;
    EXPECT_EQ(facade.EnableSoftwareRendering(), 0);
    DWORD value = 0;
    ASSERT_TRUE(test::ReadDword(HKEY_CURRENT_USER, kIEMainKey, kSoftwareRenderValue, value));
    EXPECT_EQ(value, 1u);
    int on = 0;
    facade.CheckSoftwareRendering(on);
    EXPECT_EQ(on, 1);
}

TEST(SoftwareRenderingRepair, CreatesNoMissingMainKeyAndSaysSo) {
    RegistrySandbox sandbox;
    InstallIE("9.11.9600.17031");
    EXPECT_EQ(CVersionRetriever().EnableSoftwareRendering(), kRegistryOpenFailed);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kIEMainKey));
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer"));
}

// --- The user DWORD reader and writer -------------------------------------------------------------

TEST(UserDword, ReadsZeroForAValueOfAnotherType) {
    RegistrySandbox sandbox;
    test::SetString(HKEY_CURRENT_USER, "Software\\Omni", "Binary", "ab", REG_BINARY);
    test::SetString(HKEY_CURRENT_USER, "Software\\Omni", "Text", "7");
    test::SetDword(HKEY_CURRENT_USER, "Software\\Omni", "Number", 7);
    CIESettings settings;
    EXPECT_EQ(settings.ReadUserDword("Software\\Omni", "Binary"), 0u);
    EXPECT_EQ(settings.ReadUserDword("Software\\Omni", "Text"), 0u);
    EXPECT_EQ(settings.ReadUserDword("Software\\Omni", "Number"), 7u);
    EXPECT_EQ(settings.ReadUserDword("Software\\Omni", "Missing"), 0u);
    EXPECT_EQ(settings.ReadUserDword("Software\\Missing", "Number"), 0u);
}

TEST(UserDword, WritesIntoAnExistingKeyOnly) {
    RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, "Software\\Omni");
    CIESettings settings;
    EXPECT_EQ(settings.WriteUserDword("Software\\Omni", "Number", 5), kOk);
    EXPECT_EQ(settings.WriteUserDword("Software\\Omni\\Missing", "Number", 5), kRegistryOpenFailed);
    DWORD value = 0;
    EXPECT_TRUE(test::ReadDword(HKEY_CURRENT_USER, "Software\\Omni", "Number", value));
    EXPECT_EQ(value, 5u);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, "Software\\Omni\\Missing"));
}

}  // namespace
}  // namespace omni
