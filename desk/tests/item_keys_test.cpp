// Items' keys as the desk reads them from reports: the real control's reports in English and Korean
// (OMNI_WEB_REPORTS, captured by web/tests/capture-reports.sh) give the same keys, and settings groups
// whose rows the count alone does not tell are keyed by their repair keys and the browser's version,
// or keep their subjects where neither tells.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "report_xml.h"

namespace omni::desk {
namespace {

std::string Captured(const char* name) {
    const char* folder = std::getenv("OMNI_WEB_REPORTS");
    if (!folder || !*folder) return "";
    std::ifstream in(std::string(folder) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Keys(const std::string& xml) {
    const ReadReport read = ReadReportXml(xml);
    EXPECT_TRUE(read.wellFormed) << read.fault;
    std::vector<std::string> keys;
    for (const StoredItem& item : read.items) keys.push_back(item.key);
    return keys;
}

const std::vector<std::string> kDemoPcKeys = {
    "basic/os", "basic/ie", "basic/wmp", "basic/flash",
    "ocx_z4/Marklet2.ocx", "ocx_z4/Quadrel.ocx", "ocx_z4/QuadrelU.ocx",
    "ocx_z3/Marklet3Outer.ocx", "ocx_z3/Marklet3Inner.ocx",
    "etcchecklist/flash-security", "etcchecklist/ie-flash", "etcchecklist/ie-marklet", "etcchecklist/popup",
    "etcchecklist/status-bar-script", "etcchecklist/software-rendering", "etcchecklist/ie-32bit-tabs",
    "etcchecklist/wmp-registry", "etcchecklist/wmp-network", "etcchecklist/wmp-seeking",
    "dll/OrvaneCodec.dll", "dll/OrvaneText.dll", "dll/OrvaneNet.dll"};

TEST(ItemKeys, TheControlsReportsInBothLanguagesGiveTheSameKeys) {
    const std::string english = Captured("report_en.xml"), korean = Captured("report_ko.xml");
    if (english.empty() || korean.empty()) GTEST_SKIP() << "OMNI_WEB_REPORTS holds no captured reports";
    EXPECT_EQ(Keys(english), kDemoPcKeys);
    EXPECT_EQ(Keys(korean), kDemoPcKeys);
    // The repair of software rendering turned that item, and only that one, black.
    const ReadReport before = ReadReportXml(english), after = ReadReportXml(Captured("report_en_repaired.xml"));
    std::vector<std::string> turnedBlack;
    for (size_t i = 0; i < before.items.size() && i < after.items.size(); ++i)
        if (before.items[i].red && !after.items[i].red) turnedBlack.push_back(after.items[i].key);
    EXPECT_EQ(turnedBlack, std::vector<std::string>{"etcchecklist/software-rendering"});
}

// A settings row as the control writes it: its subject, and the key of its Modify repair ("" for a row
// that carries none, as the network row does when it is fine).
struct Row {
    std::string subject, repairKey;
};

struct KeyCase {
    const char* name;
    const char* browser;  // the basic group's browser item's state; nullptr: no basic group
    std::vector<Row> rows;
    std::vector<std::string> expected;  // the settings rows' keys
};
void PrintTo(const KeyCase& row, std::ostream* os) { *os << row.name; }

std::string ReportOf(const KeyCase& row) {
    auto item = [](const std::string& subject, const std::string& state, const std::string& key) {
        return "<item><subject>" + subject + "</subject>" + (state.empty() ? "" : "<lenvmsg>" + state + "</lenvmsg>") +
               "<resultcolor>000000</resultcolor><resultmsg>ok</resultmsg>" +
               (key.empty() ? "<solutionmsg type=\"link\" value=\"\" param=\"\"/>"
                            : "<solutionmsg type=\"method\" value=\"Modify\" param=\"" + key + "\"/>") +
               "<addition/></item>";
    };
    std::string xml = "<diagnosis>";
    if (row.browser)
        xml += "<group class=\"basic\">" + item("OS", "Windows 7", "") + item("IE", row.browser, "") +
               item("WMP", "Version(12.0)", "") + item("Flash", "Version(10)", "") + "</group>";
    xml += "<group class=\"etcchecklist\">";
    for (const Row& r : row.rows) xml += item(r.subject, "", r.repairKey);
    return xml + "</group></diagnosis>";
}

const Row kFlash{"Flash", "FlashSecure"}, kAddonFlash{"Add-on Flash", "IeFlash"}, kMarklet{"Marklet", "IeMarklet"},
    kPopup{"Pop-up", "IePopop"}, kStatusBar{"Options", "AllowStatusbarModifyByScript"},
    kRendering{"Rendering", "UseSWRender"}, kTabs{"Tabs", "EnabledIEWin32In64OS"}, kRegistry{"Registry", "WMP10SRS"},
    kNetworkFine{"Network", ""}, kSeek{"Seek", "WMP11AllowApproximateSeeking"};
const Row kNoKey5{"Fifth", ""}, kNoKey6{"Sixth", ""};
std::vector<Row> With(std::vector<Row> middle) {
    std::vector<Row> rows = {kFlash, kAddonFlash, kMarklet, kPopup};
    rows.insert(rows.end(), middle.begin(), middle.end());
    rows.insert(rows.end(), {kRegistry, kNetworkFine, kSeek});
    return rows;
}
std::vector<std::string> Expected(std::vector<std::string> middle) {
    std::vector<std::string> keys = {"etcchecklist/flash-security", "etcchecklist/ie-flash", "etcchecklist/ie-marklet",
                                     "etcchecklist/popup"};
    keys.insert(keys.end(), middle.begin(), middle.end());
    keys.insert(keys.end(), {"etcchecklist/wmp-registry", "etcchecklist/wmp-network", "etcchecklist/wmp-seeking"});
    return keys;
}

const KeyCase kKeyCases[] = {
    {"SevenRowsOfAnOldBrowser", "Version(6.0.2900.5512)", With({}), Expected({})},
    {"EightRowsTheFifthByItsPlace", "Version(8.0.6001.18702)", With({kNoKey5}), Expected({"etcchecklist/status-bar-script"})},
    {"NineRowsOfInternetExplorer9AreTheTabs", "Version(9.0.8112.16421)", With({kNoKey5, kNoKey6}),
     Expected({"etcchecklist/status-bar-script", "etcchecklist/ie-32bit-tabs"})},
    {"NineRowsOfInternetExplorer11AreRendering", "버전(11.0.9600.18376)", With({kNoKey5, kNoKey6}),
     Expected({"etcchecklist/status-bar-script", "etcchecklist/software-rendering"})},
    {"NineRowsOfABrowserThatGivesNineTen", "Version(9.11.9600.18376)", With({kNoKey5, kNoKey6}),
     Expected({"etcchecklist/status-bar-script", "etcchecklist/software-rendering"})},
    {"NineRowsWithoutBrowserByTheRepairKey", nullptr, With({kNoKey5, kTabs}),
     Expected({"etcchecklist/status-bar-script", "etcchecklist/ie-32bit-tabs"})},
    // Both sets of nine hold the status bar fifth; the sixth row is either, so it keeps its subject.
    {"NineRowsWithoutBrowserOrKeysKeepTheSixthsSubject", nullptr, With({kNoKey5, kNoKey6}),
     Expected({"etcchecklist/status-bar-script", "etcchecklist/subject:Sixth"})},
    // No set of rows fits: only the repair keys name rules.
    {"RepairKeysThatContradictTheBrowserAloneName", "Version(9.0.8112.16421)", With({kNoKey5, kRendering}),
     {"etcchecklist/flash-security", "etcchecklist/ie-flash", "etcchecklist/ie-marklet", "etcchecklist/popup",
      "etcchecklist/subject:Fifth", "etcchecklist/software-rendering", "etcchecklist/wmp-registry",
      "etcchecklist/subject:Network", "etcchecklist/wmp-seeking"}},
    {"TenRowsByTheirKeys", "Version(11.0.9600.18376)", With({kStatusBar, kRendering, kTabs}),
     Expected({"etcchecklist/status-bar-script", "etcchecklist/software-rendering", "etcchecklist/ie-32bit-tabs"})},
    {"ARowSetTheControlNeverWritesKeepsKeysOnly", "Version(11.0.9600.18376)",
     {kFlash, {"Unknown", ""}, kRendering},
     {"etcchecklist/flash-security", "etcchecklist/subject:Unknown", "etcchecklist/software-rendering"}},
    {"ARepairKeyTwiceKeepsEachItemApart", "Version(6.0.2900.5512)", {kPopup, kPopup},
     {"etcchecklist/popup", "etcchecklist/popup#2"}},
};

class SettingsKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SettingsKeys, NameARuleOnlyWhereTheReportTellsIt) {
    const KeyCase& row = GetParam();
    std::vector<std::string> keys = Keys(ReportOf(row));
    if (row.browser) {
        ASSERT_GE(keys.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 4),
                  (std::vector<std::string>{"basic/os", "basic/ie", "basic/wmp", "basic/flash"}));
        keys.erase(keys.begin(), keys.begin() + 4);
    }
    EXPECT_EQ(keys, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsKeys, ::testing::ValuesIn(kKeyCases),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(ItemKeys, ABasicGroupThatLacksAnItemAndOtherGroupsKeepTheirSubjects) {
    const std::string xml =
        "<diagnosis><group class=\"basic\"><item><subject>Windows</subject><resultcolor>000000</resultcolor><resultmsg/>"
        "<solutionmsg/></item></group><group class=\"toolbars\"><item><subject>Bar</subject><resultcolor>000000"
        "</resultcolor><resultmsg/><solutionmsg/></item></group></diagnosis>";
    EXPECT_EQ(Keys(xml), (std::vector<std::string>{"basic/subject:Windows", "toolbars/Bar"}));
}

}  // namespace
}  // namespace omni::desk
