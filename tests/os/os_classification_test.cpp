#include "probes/os_classification.h"

#include <gtest/gtest.h>

#include <string>

namespace omni {
namespace {

constexpr BYTE kWorkstation = 1;
constexpr BYTE kDomainController = 2;
constexpr BYTE kServer = 3;
constexpr WORD kEnterprise = 0x0002;
constexpr WORD kSmallBusiness = 0x0001;
constexpr WORD kDatacenter = 0x0080;
constexpr WORD kPersonal = 0x0200;
constexpr WORD kBlade = 0x0400;

OsVersionRecord Nt(DWORD major, DWORD minor, BYTE productType, WORD suite, const char* servicePack = "",
                   DWORD build = 0) {
    OsVersionRecord r;
    r.platform = VER_PLATFORM_WIN32_NT;
    r.major = major;
    r.minor = minor;
    r.build = build;
    r.servicePack = servicePack;
    r.productType = productType;
    r.suiteMask = suite;
    r.extended = true;
    return r;
}

OsVersionRecord OldNt(DWORD major, DWORD minor, const char* servicePack = "", DWORD build = 0) {
    OsVersionRecord r = Nt(major, minor, 0, 0, servicePack, build);
    r.extended = false;
    return r;
}

OsVersionRecord Win9x(DWORD minor, const char* servicePack = "") {
    OsVersionRecord r;
    r.platform = VER_PLATFORM_WIN32_WINDOWS;
    r.major = 4;
    r.minor = minor;
    r.servicePack = servicePack;
    r.build = (4u << 24) | (minor << 16) | 1998;
    r.extended = true;
    return r;
}

OsVersionRecord OnPlatform(DWORD platform) {
    OsVersionRecord r;
    r.platform = platform;
    r.major = 1;
    r.extended = true;
    return r;
}

OsRegistryFacts ProductType(const char* text) {
    OsRegistryFacts facts;
    facts.productTypeRead = true;
    facts.productType = text;
    return facts;
}

OsRegistryFacts NoFacts() { return OsRegistryFacts(); }

struct CodeRow {
    const char* label;
    OsVersionRecord record;
    OsRegistryFacts facts;
    int code;
    const char* name;
    bool asksWow64;
};
void PrintTo(const CodeRow& row, std::ostream* os) { *os << row.label; }

class OsCodeTable : public ::testing::TestWithParam<CodeRow> {};

TEST_P(OsCodeTable, RecordGivesCodeNameAndWow64Question) {
    const CodeRow& row = GetParam();
    const OsIdentity identity = ClassifyOs(row.record, row.facts);
    EXPECT_EQ(identity.code, row.code);
    EXPECT_EQ(OsNameOf(identity.code), row.name);
    EXPECT_EQ(identity.asksWow64, row.asksWow64);
}

const CodeRow kCodeRows[] = {
    {"OtherPlatform_Unknown", OnPlatform(3), NoFacts(), 0, "Windows Unknown", false},
    {"Nt5_3_Unknown", Nt(5, 3, kWorkstation, 0), NoFacts(), 0, "Windows Unknown", false},
    {"Win9xMinor20_Unknown", Win9x(20), NoFacts(), 0, "Windows Unknown", false},
    {"Win9xMajor5_Unknown", [] { OsVersionRecord r = Win9x(0); r.major = 5; return r; }(), NoFacts(), 0,
     "Windows Unknown", false},
    {"Win95", Win9x(0), NoFacts(), 1, "Windows 95", false},
    {"Win95WithC", Win9x(0, " C"), NoFacts(), 2, "Windows 95 OSR2", false},
    {"Win95WithB", Win9x(0, " B"), NoFacts(), 2, "Windows 95 OSR2", false},
    {"Win95WithLowerCaseC", Win9x(0, " c"), NoFacts(), 1, "Windows 95", false},
    {"Win98", Win9x(10), NoFacts(), 3, "Windows 98", false},
    {"Win98WithA", Win9x(10, " A "), NoFacts(), 4, "Windows 98 SE", false},
    {"Win98WithAFirst", Win9x(10, "A"), NoFacts(), 3, "Windows 98", false},
    {"WinMe", Win9x(90), NoFacts(), 5, "Windows Me", false},
    {"Nt351Workstation", Nt(3, 51, kWorkstation, 0), NoFacts(), 6, "Windows NT", false},
    {"Nt4DomainController", Nt(4, 0, kDomainController, 0), NoFacts(), 6, "Windows NT", false},
    {"Nt4Workstation", Nt(4, 0, kWorkstation, 0), NoFacts(), 8, "Windows NT 4.0 Workstation", false},
    {"Nt4Server", Nt(4, 0, kServer, 0), NoFacts(), 9, "Windows NT 4.0 Server", false},
    {"Nt4ServerEnterprise", Nt(4, 0, kServer, kEnterprise), NoFacts(), 10, "Windows NT 4.0 Server Enterprise", false},
    {"Win2000DomainController", Nt(5, 0, kDomainController, 0), NoFacts(), 11, "Windows 2000", false},
    {"Win2000PersonalWorkstation", Nt(5, 0, kWorkstation, kPersonal), NoFacts(), 11, "Windows 2000", false},
    {"Win2000Professional", Nt(5, 0, kWorkstation, 0), NoFacts(), 12, "Windows 2000 Profressional", false},
    {"Win2000Server", Nt(5, 0, kServer, 0), NoFacts(), 13, "Windows 2000 Server", false},
    {"Win2000Datacenter", Nt(5, 0, kServer, kDatacenter | kEnterprise), NoFacts(), 14,
     "Windows 2000 Server Datacenter", false},
    {"Win2000Advanced", Nt(5, 0, kServer, kEnterprise), NoFacts(), 15, "Windows 2000 Server Advanced", false},
    {"XpOddProductType", Nt(5, 1, kDomainController, 0), NoFacts(), 16, "Windows XP Unknown", false},
    {"XpHome", Nt(5, 1, kWorkstation, kPersonal), NoFacts(), 17, "Windows XP Home", false},
    {"XpProfessional", Nt(5, 1, kWorkstation, 0), NoFacts(), 18, "Windows XP Professional", false},
    {"Xp64Workstation", Nt(5, 2, kWorkstation, 0), NoFacts(), 19, "Windows Server 2003", false},
    {"Server2003", Nt(5, 2, kServer, 0), NoFacts(), 19, "Windows Server 2003", false},
    {"Server2003BladePlusAnotherBit", Nt(5, 2, kServer, kBlade | kSmallBusiness), NoFacts(), 19,
     "Windows Server 2003", false},
    {"Server2003Enterprise", Nt(5, 2, kServer, kEnterprise), NoFacts(), 20, "Windows Server 2003 Enterprise", false},
    {"Server2003Datacenter", Nt(5, 2, kServer, kDatacenter | kEnterprise), NoFacts(), 21,
     "Windows Server 2003 Datacenter", false},
    {"Server2003Blade", Nt(5, 2, kServer, kBlade), NoFacts(), 22, "Windows Server 2003 WebEdition", false},
    {"Vista", Nt(6, 0, kWorkstation, 0), NoFacts(), 23, "Windows Vista", true},
    {"VistaServer", Nt(6, 0, kServer, 0), NoFacts(), 23, "Windows Vista", true},
    {"VistaHome", Nt(6, 0, kWorkstation, kPersonal), NoFacts(), 24, "Windows Vista Home", true},
    {"VistaServerEnterprise", Nt(6, 0, kServer, kEnterprise), NoFacts(), 25, "Windows Vista Enterprise", true},
    {"Win7", Nt(6, 1, kWorkstation, 0), NoFacts(), 27, "Windows 7", true},
    {"Win7EnterpriseBitOnWorkstation", Nt(6, 1, kWorkstation, kEnterprise), NoFacts(), 27, "Windows 7", true},
    {"Win7DomainController", Nt(6, 1, kDomainController, kEnterprise), NoFacts(), 27, "Windows 7", true},
    {"Win7Home", Nt(6, 1, kWorkstation, kPersonal), NoFacts(), 28, "Windows 7 Home", true},
    {"Win7ServerEnterprise", Nt(6, 1, kServer, kEnterprise), NoFacts(), 29, "Windows 7 Enterprise", true},
    {"Win32s", OnPlatform(0), NoFacts(), 31, "Win32s", false},
    {"Win8", Nt(6, 2, kWorkstation, kPersonal), NoFacts(), 32, "Windows 8", true},
    {"Server2012", Nt(6, 2, kServer, kEnterprise), NoFacts(), 32, "Windows 8", true},
    {"Win81", Nt(6, 3, kWorkstation, 0), NoFacts(), 33, "Windows 8 or higher", true},
    {"Server2012R2", Nt(6, 3, kServer, kEnterprise), NoFacts(), 33, "Windows 8 or higher", true},
    {"Win10", Nt(10, 0, kWorkstation, kPersonal), NoFacts(), 33, "Windows 8 or higher", true},
    {"Server2016", Nt(10, 0, kServer, kDatacenter), NoFacts(), 33, "Windows 8 or higher", true},
};

INSTANTIATE_TEST_SUITE_P(EveryRelease, OsCodeTable, ::testing::ValuesIn(kCodeRows),
                         [](const ::testing::TestParamInfo<CodeRow>& info) { return std::string(info.param.label); });

// Without the extended record, the ProductOptions text decides the edition.
class OsProductOptionsTable : public ::testing::TestWithParam<CodeRow> {};

TEST_P(OsProductOptionsTable, ProductTypeTextRefinesTheBaseCode) {
    const CodeRow& row = GetParam();
    const OsIdentity identity = ClassifyOs(row.record, row.facts);
    EXPECT_EQ(identity.code, row.code);
    EXPECT_EQ(OsNameOf(identity.code), row.name);
}

const CodeRow kProductOptionsRows[] = {
    {"Winnt_Nt4", OldNt(4, 0), ProductType("WINNT"), 8, "Windows NT 4.0 Workstation", false},
    {"WinntLowerCase_Nt4", OldNt(4, 0), ProductType("winnt"), 8, "Windows NT 4.0 Workstation", false},
    {"Winnt_Nt351", OldNt(3, 51), ProductType("WINNT"), 8, "Windows NT 4.0 Workstation", false},
    {"Winnt_Win2000", OldNt(5, 0), ProductType("WINNT"), 11, "Windows 2000", false},
    {"Lanmannt_Nt4", OldNt(4, 0), ProductType("LANMANNT"), 9, "Windows NT 4.0 Server", false},
    {"Lanmannt_Win2000", OldNt(5, 0), ProductType("LanmanNT"), 13, "Windows 2000 Server", false},
    {"Lanmannt_Server2003", OldNt(5, 2), ProductType("LANMANNT"), 19, "Windows Server 2003", false},
    {"Lanmannt_Xp", OldNt(5, 1), ProductType("LANMANNT"), 16, "Windows XP Unknown", false},
    {"Servernt_Nt4", OldNt(4, 0), ProductType("SERVERNT"), 10, "Windows NT 4.0 Server Enterprise", false},
    {"Servernt_Win2000", OldNt(5, 0), ProductType("ServerNT"), 15, "Windows 2000 Server Advanced", false},
    {"Servernt_Server2003", OldNt(5, 2), ProductType("SERVERNT"), 20, "Windows Server 2003 Enterprise", false},
    {"OtherText_Nt4", OldNt(4, 0), ProductType("WINNTX"), 6, "Windows NT", false},
    {"Unreadable_Nt4", OldNt(4, 0), NoFacts(), 6, "Windows NT", false},
    {"Unreadable_Win2000", OldNt(5, 0), NoFacts(), 11, "Windows 2000", false},
    {"ExtendedRecordIgnoresText", Nt(4, 0, kWorkstation, 0), ProductType("SERVERNT"), 8,
     "Windows NT 4.0 Workstation", false},
};

INSTANTIATE_TEST_SUITE_P(OldNt, OsProductOptionsTable, ::testing::ValuesIn(kProductOptionsRows),
                         [](const ::testing::TestParamInfo<CodeRow>& info) { return std::string(info.param.label); });

TEST(OsNames, CodesWithoutANameGiveEmptyText) {
    EXPECT_EQ(OsNameOf(7), "Windows NT 3.51");
    EXPECT_EQ(OsNameOf(26), "");
    EXPECT_EQ(OsNameOf(30), "");
    EXPECT_EQ(OsNameOf(-1), "");
    EXPECT_EQ(OsNameOf(34), "");
    EXPECT_EQ(OsNameOf(1000), "");
}

TEST(OsServicePack, XpProfessionalSp3GivesPlainAndBuildTexts) {
    const OsIdentity identity = ClassifyOs(Nt(5, 1, kWorkstation, 0, "Service Pack 3", 2600), NoFacts());
    EXPECT_EQ(identity.code, 18);
    EXPECT_EQ(identity.servicePackText, "Service Pack 3");
    EXPECT_TRUE(identity.servicePackBuildText == "Service Pack 3 (Build 2600)\n") << identity.servicePackBuildText;
}

TEST(OsServicePack, BuildTextUsesTheLow16BitsOfTheBuild) {
    const OsIdentity identity =
        ClassifyOs(Nt(6, 1, kWorkstation, 0, "Service Pack 1", (6u << 24) | (1u << 16) | 7601), NoFacts());
    EXPECT_TRUE(identity.servicePackBuildText == "Service Pack 1 (Build 7601)\n") << identity.servicePackBuildText;
}

TEST(OsServicePack, NoServicePackStillGivesTheBuild) {
    const OsIdentity identity = ClassifyOs(Nt(6, 1, kWorkstation, 0, "", 7600), NoFacts());
    EXPECT_EQ(identity.servicePackText, "");
    EXPECT_TRUE(identity.servicePackBuildText == " (Build 7600)\n") << identity.servicePackBuildText;
}

TEST(OsServicePack, Nt4Sp6WithHotfixKeyIsSp6a) {
    OsRegistryFacts facts;
    facts.hasQ246009 = true;
    const OsIdentity identity = ClassifyOs(Nt(4, 0, kWorkstation, 0, "Service Pack 6", 1381), facts);
    EXPECT_EQ(identity.code, 8);
    EXPECT_EQ(identity.servicePackText, "Service Pack 6a");
    EXPECT_TRUE(identity.servicePackBuildText == "Service Pack 6a (Build 1381)\n") << identity.servicePackBuildText;
}

TEST(OsServicePack, Nt4Sp6InAnyCaseWithHotfixKeyIsSp6a) {
    OsRegistryFacts facts;
    facts.hasQ246009 = true;
    EXPECT_EQ(ClassifyOs(Nt(4, 0, kServer, 0, "SERVICE PACK 6", 1381), facts).servicePackText, "Service Pack 6a");
}

TEST(OsServicePack, Nt4Sp6WithoutHotfixKeyStaysSp6) {
    const OsIdentity identity = ClassifyOs(Nt(4, 0, kWorkstation, 0, "Service Pack 6", 1381), NoFacts());
    EXPECT_EQ(identity.servicePackText, "Service Pack 6");
    EXPECT_TRUE(identity.servicePackBuildText == "Service Pack 6 (Build 1381)\n") << identity.servicePackBuildText;
}

TEST(OsServicePack, HotfixKeyMattersOnlyForSp6) {
    OsRegistryFacts facts;
    facts.hasQ246009 = true;
    EXPECT_EQ(ClassifyOs(Nt(4, 0, kWorkstation, 0, "Service Pack 5", 1381), facts).servicePackText, "Service Pack 5");
    EXPECT_EQ(ClassifyOs(Nt(5, 0, kWorkstation, 0, "Service Pack 6", 2195), facts).servicePackText, "Service Pack 6");
}

TEST(OsServicePack, Windows9xAndWin32sHaveNoTexts) {
    const OsIdentity me = ClassifyOs(Win9x(10, " A "), NoFacts());
    EXPECT_EQ(me.servicePackText, "");
    EXPECT_EQ(me.servicePackBuildText, "");
    const OsIdentity win32s = ClassifyOs(OnPlatform(0), NoFacts());
    EXPECT_EQ(win32s.servicePackText, "");
    EXPECT_EQ(win32s.servicePackBuildText, "");
}

TEST(OsServicePack, UnreadableProductOptionsLeaveTextsEmpty) {
    const OsIdentity identity = ClassifyOs(OldNt(4, 0, "Service Pack 3", 1381), NoFacts());
    EXPECT_EQ(identity.code, 6);
    EXPECT_EQ(identity.servicePackText, "");
    EXPECT_EQ(identity.servicePackBuildText, "");
}

TEST(OsServicePack, ReadableProductOptionsStillGiveTexts) {
    const OsIdentity identity = ClassifyOs(OldNt(4, 0, "Service Pack 3", 1381), ProductType("WINNT"));
    EXPECT_EQ(identity.servicePackText, "Service Pack 3");
    EXPECT_TRUE(identity.servicePackBuildText == "Service Pack 3 (Build 1381)\n") << identity.servicePackBuildText;
}

TEST(OsServicePack, LongServicePackTextsAreCutToTheirFields) {
    const std::string pack(127, 'x');
    const OsIdentity identity = ClassifyOs(Nt(5, 1, kWorkstation, 0, pack.c_str(), 2600), NoFacts());
    EXPECT_EQ(identity.servicePackText, pack);
    EXPECT_EQ(identity.servicePackBuildText, pack);  // the build suffix does not fit any more

    const std::string shorter(120, 'y');
    const OsIdentity cut = ClassifyOs(Nt(5, 1, kWorkstation, 0, shorter.c_str(), 2600), NoFacts());
    EXPECT_EQ(cut.servicePackText, shorter);
    EXPECT_TRUE(cut.servicePackBuildText == shorter + " (Build") << cut.servicePackBuildText;
}

TEST(OsServicePack, OverlongSystemStringIsCutToo) {
    const std::string pack(200, 'z');
    const OsIdentity identity = ClassifyOs(Nt(5, 1, kWorkstation, 0, pack.c_str(), 2600), NoFacts());
    EXPECT_EQ(identity.servicePackText, std::string(127, 'z'));
    EXPECT_EQ(identity.servicePackBuildText, std::string(127, 'z'));
}

TEST(OsServicePack, CuttingNeverSplitsACharacter) {
    const std::string text = std::string(126, 'a') + "\xC3\xA9";  // 128 bytes ending in a two-byte letter
    EXPECT_EQ(LimitText(text, kOsTextLimit), std::string(126, 'a'));
    EXPECT_EQ(LimitText("short", kOsTextLimit), "short");
}

}  // namespace
}  // namespace omni
