#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/message_catalog.h"
#include "platform/text.h"
#include "probes/addon_inspector.h"
#include "probes/addon_keys.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::RegistrySandbox;
using test::SetDword;
using test::SetString;

const std::string kIdA = "{11111111-AAAA-4AAA-8AAA-111111111111}";
const std::string kIdB = "{22222222-BBBB-4BBB-8BBB-222222222222}";
const std::string kIdC = "{33333333-CCCC-4CCC-8CCC-333333333333}";

std::string ServerDll() { return test::TestBinFolder() + "\\AddonServer.dll"; }

void Disable(const std::string& id, DWORD flags = 1) {
    SetDword(HKEY_CURRENT_USER, std::string(kAddonSettingsPath) + "\\" + id, "Flags", flags);
}
void RegisterClassName(const std::string& id, const std::string& name) {
    SetString(HKEY_CLASSES_ROOT, std::string(kClsidPath) + "\\" + id, "", name);
}
void RegisterServer(const std::string& id, const std::string& path, DWORD type = REG_SZ) {
    SetString(HKEY_CLASSES_ROOT, std::string(kClsidPath) + "\\" + id + "\\InprocServer32", "", path, type);
}
void MakeExtension(const std::string& id) {
    test::CreateKey(HKEY_LOCAL_MACHINE, std::string(kExtensionsPath) + "\\" + id);
}
void MakeBrowserHelperObject(const std::string& id) {
    test::CreateKey(HKEY_LOCAL_MACHINE, std::string(kBrowserHelperObjectsPath) + "\\" + id);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));  // an unterminated tail
    return lines;
}

class InspectorTest : public ::testing::Test {
protected:
    void SetUp() override { SetCatalogLanguage(kLangEnglish); }
    void TearDown() override { SetCatalogLanguage(kLangKorean); }
    RegistrySandbox sandbox_;
};

// --- Collecting ---------------------------------------------------------------------------

TEST_F(InspectorTest, CollectsNothingWithoutTheSettingsKey) {
    EXPECT_TRUE(CAddonInspector().CollectDisabledIds().empty());
}

TEST_F(InspectorTest, CollectsOnlySubkeysWhoseFlagsIsDwordOne) {
    Disable(kIdC);
    Disable(kIdA);
    Disable(kIdB, 0);
    Disable("{44444444-DDDD-4DDD-8DDD-444444444444}", 3);
    SetString(HKEY_CURRENT_USER, std::string(kAddonSettingsPath) + "\\{55555555-EEEE-4EEE-8EEE-555555555555}",
              "Flags", "1");
    std::vector<std::string> ids = CAddonInspector().CollectDisabledIds();
    ASSERT_EQ(ids.size(), 2u);
    // The registry enumerates subkeys in name order.
    EXPECT_EQ(ids[0], kIdA);
    EXPECT_EQ(ids[1], kIdC);
}

// --- Classifying: one table ---------------------------------------------------------------

enum class Kind { kNone, kActiveX, kHelper, kExtension };

struct ClassRow {
    const char* name;
    bool extension;       // an Extensions key exists
    DWORD buttonTextType;  // 0 = no "ButtonText"
    bool helperObject;
    bool registered;      // CLSID key with a name
    Kind expected;
};
void PrintTo(const ClassRow& row, std::ostream* os) { *os << row.name; }

const ClassRow kClassRows[] = {
    {"ExtensionWithTextButton", true, REG_SZ, false, false, Kind::kExtension},
    {"ExtensionWithExpandableButton", true, REG_EXPAND_SZ, true, true, Kind::kExtension},
    {"ExtensionKeyWithoutButtonTextFallsToHelper", true, 0, true, true, Kind::kHelper},
    {"ExtensionKeyWithNumericButtonTextFallsToActiveX", true, REG_DWORD, false, true, Kind::kActiveX},
    {"ExtensionKeyWithoutButtonTextUnregisteredGivesNone", true, 0, false, false, Kind::kNone},
    {"RegisteredHelperObject", false, 0, true, true, Kind::kHelper},
    {"UnregisteredHelperObjectGivesNone", false, 0, true, false, Kind::kNone},
    {"RegisteredControl", false, 0, false, true, Kind::kActiveX},
    {"UnregisteredIdentifierGivesNone", false, 0, false, false, Kind::kNone},
};

class Classification : public ::testing::TestWithParam<ClassRow> {
protected:
    void SetUp() override { SetCatalogLanguage(kLangEnglish); }
    void TearDown() override { SetCatalogLanguage(kLangKorean); }
    RegistrySandbox sandbox_;
};

TEST_P(Classification, GivesTheExpectedKindOrNoEntry) {
    const ClassRow& row = GetParam();
    std::string extensionKey = std::string(kExtensionsPath) + "\\" + kIdA;
    if (row.extension) MakeExtension(kIdA);
    if (row.buttonTextType == REG_DWORD) SetDword(HKEY_LOCAL_MACHINE, extensionKey, "ButtonText", 7);
    else if (row.buttonTextType) SetString(HKEY_LOCAL_MACHINE, extensionKey, "ButtonText", "Research", row.buttonTextType);
    if (row.extension) SetString(HKEY_LOCAL_MACHINE, extensionKey, "MenuText", "Research");
    if (row.helperObject) MakeBrowserHelperObject(kIdA);
    if (row.registered) {
        RegisterClassName(kIdA, "Sample Add-on");
        RegisterServer(kIdA, ServerDll());
    }

    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdA});
    if (row.expected == Kind::kNone) {
        EXPECT_TRUE(entries.empty());
        return;
    }
    ASSERT_EQ(entries.size(), 1u);
    const DisabledAddon& entry = entries[0];
    switch (row.expected) {
        case Kind::kExtension:
            EXPECT_EQ(entry.type, "Browser Extension");
            EXPECT_EQ(entry.name, "");
            EXPECT_EQ(entry.company, "");
            EXPECT_EQ(entry.file, "");
            return;
        case Kind::kHelper: EXPECT_EQ(entry.type, "Browser Helper Object"); break;
        default: EXPECT_EQ(entry.type, "ActiveX Control"); break;
    }
    EXPECT_EQ(entry.name, "Sample Add-on");
    EXPECT_EQ(entry.company, "Addon Server Works");
    EXPECT_EQ(entry.file, "AddonServer.dll");
}

INSTANTIATE_TEST_SUITE_P(Registrations, Classification, ::testing::ValuesIn(kClassRows),
                         [](const ::testing::TestParamInfo<ClassRow>& info) { return std::string(info.param.name); });

// --- Class lookup details -----------------------------------------------------------------

TEST_F(InspectorTest, ControlWithoutServerKeyKeepsCompanyAndFileEmpty) {
    RegisterClassName(kIdA, "Serverless");
    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdA});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Serverless");
    EXPECT_EQ(entries[0].company, "");
    EXPECT_EQ(entries[0].file, "");
}

TEST_F(InspectorTest, ServerWithoutVersionResourceGivesFileButNoCompany) {
    test::ScratchFolder folder;
    test::WriteBytes(folder.file("plain.dll"), "not a module");
    RegisterClassName(kIdA, "Plain");
    RegisterServer(kIdA, folder.file("plain.dll"));
    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdA});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].company, "");
    EXPECT_EQ(entries[0].file, "plain.dll");
}

TEST_F(InspectorTest, MissingServerFileStillGivesItsName) {
    RegisterClassName(kIdA, "Gone");
    RegisterServer(kIdA, "C:\\Nowhere\\At All\\gone.ocx");
    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdA});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].company, "");
    EXPECT_EQ(entries[0].file, "gone.ocx");
}

TEST_F(InspectorTest, ExpandableServerPathIsExpandedBeforeReadingTheCompany) {
    std::string folder = test::TestBinFolder();
    SetEnvironmentVariableW(L"OMNI_ADDON_TEST_BIN", Widen(folder).c_str());
    RegisterClassName(kIdA, "Expandable");
    RegisterServer(kIdA, "%OMNI_ADDON_TEST_BIN%\\AddonServer.dll", REG_EXPAND_SZ);
    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdA});
    SetEnvironmentVariableW(L"OMNI_ADDON_TEST_BIN", nullptr);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].company, "Addon Server Works");
    EXPECT_EQ(entries[0].file, "AddonServer.dll");
}

TEST_F(InspectorTest, LongNamesAreReadWhole) {
    std::string longName(400, 'n');
    RegisterClassName(kIdA, longName);
    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdA});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name.size(), 400u);
    EXPECT_TRUE(entries[0].name == longName);
}

TEST_F(InspectorTest, EntriesKeepTheOrderOfTheIdentifiers) {
    RegisterClassName(kIdA, "First");
    RegisterClassName(kIdB, "Second");
    std::vector<DisabledAddon> entries = CAddonInspector().BuildEntries({kIdB, kIdC, kIdA});
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Second");
    EXPECT_EQ(entries[1].name, "First");
}

// --- The disabled add-on text -------------------------------------------------------------

class DisabledTextTest : public InspectorTest {
protected:
    // A control with a versioned server, and an extension, both disabled; a third is enabled.
    void ArrangeTwoDisabled() {
        Disable(kIdA);
        RegisterClassName(kIdA, "Sample Control");
        RegisterServer(kIdA, ServerDll());
        Disable(kIdB);
        MakeExtension(kIdB);
        SetString(HKEY_LOCAL_MACHINE, std::string(kExtensionsPath) + "\\" + kIdB, "ButtonText", "Notes");
        Disable(kIdC, 0);
        RegisterClassName(kIdC, "Enabled Control");
    }
};

TEST_F(DisabledTextTest, TwoEntriesInEnglish) {
    ArrangeTwoDisabled();
    SetCatalogLanguage(kLangEnglish);
    std::string text = CAddonInspector().GetDisabledAddonText();
    std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "ActiveXs which are disabled");
    EXPECT_EQ(lines[1], "1. Sample Control\tAddon Server Works\tActiveX Control\tAddonServer.dll");
    EXPECT_EQ(lines[2], "2. \t\tBrowser Extension\t");
    EXPECT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    size_t lineFeeds = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ++lineFeeds;
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
        }
    EXPECT_EQ(lineFeeds, 3u);
}

TEST_F(DisabledTextTest, TwoEntriesInKorean) {
    ArrangeTwoDisabled();
    SetCatalogLanguage(kLangKorean);
    std::string text = CAddonInspector().GetDisabledAddonText();
    std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "사용하지 않음으로 선택된 ActiveX 리스트.");
    EXPECT_EQ(lines[1], "1. Sample Control\tAddon Server Works\tActiveX 컨트롤\tAddonServer.dll");
    EXPECT_EQ(lines[2], "2. \t\t브라우저 확장\t");
    EXPECT_TRUE(text.compare(text.size() - 2, 2, "\r\n") == 0);
}

TEST_F(DisabledTextTest, NothingDisabledGivesTheHeadingAlone) {
    Disable(kIdC, 0);
    SetCatalogLanguage(kLangEnglish);
    EXPECT_EQ(CAddonInspector().GetDisabledAddonText(), "ActiveXs which are disabled\r\n");
}

TEST_F(DisabledTextTest, UnregisteredDisabledIdentifierGivesNoLine) {
    Disable(kIdA);
    Disable(kIdB);
    RegisterClassName(kIdB, "Registered");
    SetCatalogLanguage(kLangEnglish);
    std::vector<std::string> lines = SplitLines(CAddonInspector().GetDisabledAddonText());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "1. Registered\t\tActiveX Control\t");
}

TEST(DisabledAddonFormat, NumbersLinesFromOneAndSeparatesColumnsByTabs) {
    std::vector<DisabledAddon> entries = {{"T1", "N1", "C1", "F1"}, {"T2", "N2", "C2", "F2"}};
    bool exact = FormatDisabledAddonText("Heading", entries) ==
                 "Heading\r\n1. N1\tC1\tT1\tF1\r\n2. N2\tC2\tT2\tF2\r\n";
    EXPECT_TRUE(exact);
}

}  // namespace
}  // namespace omni
