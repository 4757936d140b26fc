#include <gtest/gtest.h>

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "machine/folder_mng.h"
#include "core/result_codes.h"
#include "diagnosis/total_info.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "report/xml_writer.h"
#include "tests/support/fake_diagnosis_probes.h"
#include "tests/support/parsed_report.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

class ReportGroups : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        savedLanguage_ = GetCatalogLanguage();
        savedMode_ = GetFolderMng().GetInstallMode();
        SetCatalogLanguage(kLangEnglish);
        GetFolderMng().SetInstallMode(kInstallModeLocal);
    }
    void TearDown() override {
        SetCatalogLanguage(savedLanguage_);
        GetFolderMng().SetInstallMode(savedMode_);
    }

    // Runs the diagnosis over the fakes and composes the report.
    ParsedReport RunAndCompose() {
        info_.Run();
        EXPECT_EQ(BuildReport(info_), kOk);
        ParsedReport report = ParseReportText(info_.GetReportText());
        EXPECT_TRUE(report.ok);
        return report;
    }

    void On32BitXpWithIe6() {
        run_.os = {18, 0, "Windows XP Professional", "Service Pack 2", "Service Pack 2 (Build 2600)"};
        run_.ie = "6.0.2900.2180";
        run_.wmp = "9.0.0.3250";
    }

    com_init com_;
    FakeRunProbes run_;
    FakeGradingProbes grading_;
    CTotalInfo info_{run_, grading_};
    LANGID savedLanguage_ = kLangKorean;
    int savedMode_ = 0;
};

// Item subjects as the report shows them in English.
const char kOsSubject[] = "Windows Operating System (Win 98 SE or higher)";
const char kIeSubject[] = "Internet Explorer (version 6.0 or higher)";
const char kWmpSubject[] = "Windows Media Player (version 7.0 or higher)";
const char kFlashSubject[] = "Flash Player(version 7 or higher)";
const char kFlashSecuritySubject[] = "Global Security Settings for Flash ";
const char kFlashAddonSubject[] = "IE settings for Add-on (Flash)";
const char kMarkletAddonSubject[] = "IE settings for Add-on (Marklet)";
const char kPopupSubject[] = "IE pop-up blocker settings";
const char kWmpRegistrySubject[] = "Windows Media Player Registry (only if the version is 10 or higher)";
const char kWmpNetworkSubject[] = "WMP Network Settings";
const char kWmpSeekSubject[] = "WMP Seek Settings (only if the version is 11 or higher)";
const char kIeOptionsSubject[] = "IE Internet Options (only if the version is 7 or higher)";
const char kRenderingSubject[] = "Use IE Software Acceleration (Version 10 or higher)";
const char kTabsSubject[] = "IE 32bit tab setup (64bit OS, IE 9 or higher)";

using Subjects = std::vector<std::string>;

TEST_F(ReportGroups, StoppedRunWritesOnlyTheBasicGroupWithARedBrowser) {
    run_.ie = "5.50.4807.2300";
    run_.wmp = "9.0.0.3250";
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(info_.GetRunState(), 1);
    EXPECT_EQ(report.GroupClasses(), std::vector<std::string>{"basic"});
    auto items = report.Items("basic");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(report.Subjects("basic"), (Subjects{kOsSubject, kIeSubject, kWmpSubject, kFlashSubject}));
    EXPECT_EQ(items[1]->ChildText("resultcolor"), "FF0000");
    EXPECT_EQ(items[1]->Element("solutionmsg")->Attribute("type"), "link");
}

TEST_F(ReportGroups, CompletedRunWritesTheFiveGroupsInOrder) {
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(report.GroupClasses(),
              (std::vector<std::string>{"basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"}));
}

TEST_F(ReportGroups, EveryItemHasItsElementsInOrderAndOnlyBasicHasLenvmsg) {
    run_.components = {{"Quadrel.ocx", 4, "1.0.0.5", "1.0.0.5", 1}, {"Talvek.dll", 0, "1.0.0.0", "1.0.0.0", 1}};
    ParsedReport report = RunAndCompose();
    for (const char* group : {"basic", "ocx_z4", "etcchecklist", "dll"}) {
        for (const ParsedNode* item : report.Items(group)) {
            std::vector<std::string> names;
            for (const ParsedNode* child : item->Elements()) names.push_back(child->name);
            std::vector<std::string> expected = {"subject", "resultcolor", "resultmsg", "solutionmsg", "addition"};
            if (std::string(group) == "basic") expected.insert(expected.begin() + 1, "lenvmsg");
            EXPECT_EQ(names, expected) << group;
        }
    }
}

TEST_F(ReportGroups, BasicItemsCarryTheCompanionTexts) {
    run_.os = {30, 1, "Windows 7 Ultimate", "Service Pack 1", "Service Pack 1 (Build 7601)"};
    run_.flash = "10.0.0.0";
    grading_.serviceVersion = "11.0.9600.16428";
    ParsedReport report = RunAndCompose();
    auto items = report.Items("basic");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->ChildText("lenvmsg"), "Windows 7 Ultimate\r\nService Pack 1 (Build 7601)");
    EXPECT_EQ(items[1]->ChildText("lenvmsg"), "Version(11.0.9600.16428)");
    EXPECT_EQ(items[2]->ChildText("lenvmsg"), "Version(12.0.7601.18840)");
    EXPECT_EQ(items[3]->ChildText("lenvmsg"), "Version(10)");
    for (const ParsedNode* item : items) EXPECT_EQ(item->ChildText("addition"), "");
}

TEST_F(ReportGroups, OsItemHasNeitherValueNorParam) {
    ParsedReport report = RunAndCompose();
    const ParsedNode* solution = report.Items("basic").at(0)->Element("solutionmsg");
    EXPECT_EQ(solution->Attribute("type"), "text");
    EXPECT_FALSE(solution->HasAttribute("value"));
    EXPECT_FALSE(solution->HasAttribute("param"));
}

TEST_F(ReportGroups, BrowserItemHasValueButNoParam) {
    ParsedReport report = RunAndCompose();
    const ParsedNode* solution = report.Items("basic").at(1)->Element("solutionmsg");
    EXPECT_TRUE(solution->HasAttribute("value"));
    EXPECT_FALSE(solution->HasAttribute("param"));
}

TEST_F(ReportGroups, VistaWithoutMediaPlayer7ShowsTextSolutionWithValueAndNoParam) {
    run_.os = {23, 0, "Windows Vista Ultimate", "", ""};
    run_.ie = "7.0.6000.16386";
    run_.wmp = "6.4.9.1130";
    ParsedReport report = RunAndCompose();
    const ParsedNode* solution = report.Items("basic").at(2)->Element("solutionmsg");
    EXPECT_EQ(solution->Attribute("type"), "text");
    EXPECT_EQ(solution->Attribute("value"), "InstallProgram");
    EXPECT_FALSE(solution->HasAttribute("param"));
    EXPECT_EQ(solution->text, "Windows Media Player should be installed");
}

TEST_F(ReportGroups, MissingMediaPlayer7OnXpOffersTheInstallerWithParam) {
    run_.os = {18, 0, "Windows XP Professional", "", ""};
    run_.wmp = "6.4.9.1130";
    ParsedReport report = RunAndCompose();
    const ParsedNode* solution = report.Items("basic").at(2)->Element("solutionmsg");
    EXPECT_EQ(solution->Attribute("type"), "method");
    EXPECT_EQ(solution->Attribute("param"), "MPSetupXP.exe");
}

TEST_F(ReportGroups, XpWithIe6On32BitWritesSevenSettingsItems) {
    On32BitXpWithIe6();
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(report.Subjects("etcchecklist"),
              (Subjects{kFlashSecuritySubject, kFlashAddonSubject, kMarkletAddonSubject, kPopupSubject,
                        kWmpRegistrySubject, kWmpNetworkSubject, kWmpSeekSubject}));
}

TEST_F(ReportGroups, Ie11On64BitWindows7WritesAllTenSettingsItems) {
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(report.Subjects("etcchecklist"),
              (Subjects{kFlashSecuritySubject, kFlashAddonSubject, kMarkletAddonSubject, kPopupSubject,
                        kIeOptionsSubject, kRenderingSubject, kTabsSubject, kWmpRegistrySubject, kWmpNetworkSubject,
                        kWmpSeekSubject}));
}

TEST_F(ReportGroups, Ie9On64BitWritesTheTabItemButNotTheRenderingItem) {
    run_.ie = "9.0.8112.16421";
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(report.Subjects("etcchecklist"),
              (Subjects{kFlashSecuritySubject, kFlashAddonSubject, kMarkletAddonSubject, kPopupSubject,
                        kIeOptionsSubject, kTabsSubject, kWmpRegistrySubject, kWmpNetworkSubject, kWmpSeekSubject}));
}

TEST_F(ReportGroups, ToolbarListIsTheAdditionOfThePopupAndOptionsItemsOnly) {
    run_.toolbars = "Bing Bar%0A%0DAsk Toolbar%0A%0D";
    ParsedReport report = RunAndCompose();
    auto items = report.Items("etcchecklist");
    ASSERT_EQ(items.size(), 10u);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i]->ChildText("addition"), (i == 3 || i == 4) ? run_.toolbars : "") << "row " << i + 1;
}

TEST_F(ReportGroups, SettingsItemsCarryTheirAttributeRules) {
    run_.os = {30, 1, "Windows 7", "", ""};
    run_.softwareRendering = 1;  // passing rows keep the Modify method
    grading_.networkAll = 1;
    ParsedReport report = RunAndCompose();
    auto items = report.Items("etcchecklist");
    ASSERT_EQ(items.size(), 10u);
    // Rows 1 to 5 and 8: param only with a method; all of them are methods here.
    for (size_t row : {0u, 1u, 2u, 3u, 4u, 7u}) EXPECT_TRUE(items[row]->Element("solutionmsg")->HasAttribute("param"));
    EXPECT_EQ(items[3]->Element("solutionmsg")->Attribute("param"), "IePopop");
    EXPECT_EQ(items[5]->Element("solutionmsg")->Attribute("param"), "UseSWRender");
    EXPECT_EQ(items[6]->Element("solutionmsg")->Attribute("param"), "EnabledIEWin32In64OS");
    // Row 9 in the normal case: a link whose empty value and param are still written.
    const ParsedNode* network = items[8]->Element("solutionmsg");
    EXPECT_EQ(network->Attribute("type"), "link");
    ASSERT_TRUE(network->HasAttribute("value"));
    ASSERT_TRUE(network->HasAttribute("param"));
    EXPECT_EQ(network->Attribute("value"), "");
    EXPECT_EQ(network->Attribute("param"), "");
    EXPECT_EQ(items[9]->Element("solutionmsg")->Attribute("param"), "WMP11AllowApproximateSeeking");
}

TEST_F(ReportGroups, ControlsOfKinds434GoTwoToZ4InOrderAndOneToZ3) {
    run_.components = {{"First.ocx", 4, "1.0.0.0", "1.0.0.0", 1},
                       {"Middle.ocx", 3, "1.0.0.0", "1.0.0.0", 1},
                       {"Last.ocx", 4, "1.0.0.0", "1.0.0.0", 1}};
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(report.Subjects("ocx_z4"), (std::vector<std::string>{"First.ocx", "Last.ocx"}));
    EXPECT_EQ(report.Subjects("ocx_z3"), std::vector<std::string>{"Middle.ocx"});
    EXPECT_TRUE(report.Items("dll").empty());
}

TEST_F(ReportGroups, ComponentItemsOfferTheirRepairWithTheListedName) {
    run_.components = {{"Quadrel.ocx", 4, "1.0.0.5", "1.0.0.4", 1}, {"Talvek.dll", 0, "1.0.0.0", "", 0}};
    ParsedReport report = RunAndCompose();
    const ParsedNode* control = report.Items("ocx_z4").at(0);
    EXPECT_EQ(control->ChildText("resultcolor"), "FF0000");
    EXPECT_EQ(control->ChildText("resultmsg"), "Newer version is available - version(1.0.0.4)");
    EXPECT_EQ(control->Element("solutionmsg")->Attribute("value"), "InstallOcx");
    EXPECT_EQ(control->Element("solutionmsg")->Attribute("param"), "Quadrel.ocx");
    const ParsedNode* dll = report.Items("dll").at(0);
    EXPECT_EQ(dll->Element("solutionmsg")->Attribute("value"), "InstallDll");
    EXPECT_EQ(dll->Element("solutionmsg")->Attribute("param"), "Talvek.dll");
}

TEST_F(ReportGroups, ANameListedTwiceGivesTwoItemsWithTheFirstVerdict) {
    run_.components = {{"Twice.ocx", 4, "1.0.0.0", "2.0.0.0", 1}, {"Twice.ocx", 4, "1.0.0.0", "0.5.0.0", 1}};
    ParsedReport report = RunAndCompose();
    auto items = report.Items("ocx_z4");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->ChildText("resultmsg"), "Normal - version(2.0.0.0)");
    EXPECT_EQ(items[1]->ChildText("resultmsg"), "Normal - version(2.0.0.0)");
}

TEST_F(ReportGroups, EmptyZ3GroupIsStillWrittenBetweenZ4AndSettings) {
    run_.components = {{"Quadrel.ocx", 4, "1.0.0.5", "1.0.0.5", 1}};
    ParsedReport report = RunAndCompose();
    ASSERT_NE(report.Group("ocx_z3"), nullptr);
    EXPECT_TRUE(report.Group("ocx_z3")->children.empty());
    EXPECT_EQ(report.GroupClasses().at(2), "ocx_z3");
}

TEST_F(ReportGroups, VerdictWithLessThanAndAmpersandIsEscaped) {
    run_.components = {{"Odd.dll", 0, "1.0.0.0", "1<2&3", 1}};
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(report.Items("dll").at(0)->ChildText("resultmsg"), "Normal - version(1<2&3)");
    EXPECT_NE(info_.GetReportText().find("version(1&lt;2&amp;3)"), std::string::npos);
}

TEST_F(ReportGroups, DeclarationComesFirstAndDiagnosisIsTheOnlyTopLevelElement) {
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(info_.GetReportText().rfind("<?xml version=\"1.0\"", 0), 0u);
    auto top = report.document.Elements();
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0]->name, "diagnosis");
    EXPECT_TRUE(top[0]->attributes.empty());
}

TEST_F(ReportGroups, NoWhiteSpaceTextSitsBetweenElements) {
    run_.components = {{"Quadrel.ocx", 4, "1.0.0.5", "1.0.0.5", 1}, {"Talvek.dll", 0, "1.0.0.0", "1.0.0.0", 1}};
    ParsedReport report = RunAndCompose();
    EXPECT_EQ(CountTextBesideElements(report.document), 0);
    const std::string& text = info_.GetReportText();
    EXPECT_EQ(text.find(">\n<", text.find("<diagnosis")), std::string::npos);
    EXPECT_EQ(text.find(">\t"), std::string::npos);
}

TEST_F(ReportGroups, EmptyPathWritesNoFileButReplacesTheText) {
    ScratchFolder folder;
    info_.SetReportText("previous");
    info_.Run();
    ASSERT_EQ(BuildReport(info_), kOk);
    EXPECT_NE(info_.GetReportText(), "previous");
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(Widen(folder.file("*.xml")).c_str(), &data);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(ReportGroups, SavedFileIsUtf8AndKeepsKoreanTextsByteForByte) {
    SetCatalogLanguage(kLangKorean);
    ScratchFolder folder;
    std::string path = folder.file("report.xml");
    info_.Run();
    ASSERT_EQ(SaveReport(info_, path), kOk);
    std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    const std::string subject = "윈도우 운영체제 (Win 98 SE 이상)";
    EXPECT_NE(bytes.find("<subject>" + subject + "</subject>"), std::string::npos);
    ParsedReport fromFile = ParseReportFile(path);
    ASSERT_TRUE(fromFile.ok);
    EXPECT_EQ(fromFile.Subjects("basic").at(0), subject);
    ParsedReport fromText = ParseReportText(info_.GetReportText());
    EXPECT_EQ(fromText.Subjects("basic"), fromFile.Subjects("basic"));
}

TEST_F(ReportGroups, FailedSaveKeepsThePreviousTextAndWritesNoFile) {
    ScratchFolder folder;
    std::string path = folder.file("missing\\report.xml");
    info_.Run();
    info_.SetReportText("previous");
    EXPECT_EQ(SaveReport(info_, path), kReportFailed);
    EXPECT_EQ(info_.GetReportText(), "previous");
    EXPECT_FALSE(FileExists(path));
}

TEST_F(ReportGroups, FailureInTheMiddleOfAGroupBecomesACodeAndKeepsThePreviousText) {
    ScratchFolder folder;
    std::string path = folder.file("report.xml");
    info_.Run();
    info_.SetReportText("previous");
    grading_.networkThrows = true;
    EXPECT_EQ(BuildReport(info_), kReportFailed);
    EXPECT_EQ(SaveReport(info_, path), kReportFailed);
    EXPECT_EQ(info_.GetReportText(), "previous");
    EXPECT_FALSE(FileExists(path));
}

TEST_F(ReportGroups, SettingsRulesThatProbeDoSoAtEveryComposition) {
    info_.Run();
    ASSERT_EQ(BuildReport(info_), kOk);
    ASSERT_EQ(BuildReport(info_), kOk);
    EXPECT_EQ(grading_.networkCalls, 2);
    EXPECT_EQ(grading_.seekingCalls, 2);
}

}  // namespace
}  // namespace omni::test
