// The repair methods through the page container with the real control, in local mode on a page folder
// of its own: what each call answers, which boxes a user sees, whether the fresh report arrives, and
// what lands in the system folder or runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/box_presser.h"
#include "tests/support/content_server.h"
#include "tests/support/page_session.h"
#include "tests/support/page_container.h"
#include "tests/support/parsed_report.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/repair_page.h"

namespace omni::test {
namespace {

// The boxes as BoxPresser records them: the error is owned by the control's window, the information box
// has no owner.
const char kSucceededBox[] = "unowned Talvek Diagnostic Tool: Succeeded";
const char kFourthDllBox[] = "owned Talvek Diagnostic Tool: Try it again after installing 4th DLL category";
const char kIeMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kSoftwareRenderValue[] = "UseSWRender";
// Every file the control may put into the system folder during these tests.
const char* const kSystemFiles[] = {"RepairOk.ocx", "RepairOk.ocx.log", "RepairFails.ocx", "RepairFails.ocx.log",
                                    "RepairNoLoad.ocx", "RepairNoSource.ocx", "RepairDll.dll", "RepairDll.dll.log",
                                    "RepairNoLoad.dll", "RepairNoLoad.dll.log", "RepairUnsigned.ocx",
                                    "NotListed.ocx", "x.dll", "x.ocx", "b.ocx", "RepairWeb.ocx", "RepairWeb.ocx.log",
                                    "RepairGone.ocx", "RepairSlow.ocx", "RepairSlow.ocx.log"};

// Where a 32-bit msiexec installs a package's ProgramFilesFolder.
std::string ProgramFilesFile(const std::string& name) {
    wchar_t folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramFiles", folder, MAX_PATH);
    return Narrow(folder) + "\\" + name;
}

// Removes the files of folder that match pattern ("*.log").
void RemoveFiles(const std::string& folder, const std::string& pattern) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW(Widen(folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileW(Widen(folder + "\\" + Narrow(found.cFileName)).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The colour of the etcchecklist item whose repair is Modify(key) in the first report, looked up by
// subject in the second.
std::string ColourAfter(const std::string& first, const std::string& second, const std::string& key) {
    // The parsed reports own the nodes that Items points at, so they must outlive the loops.
    const ParsedReport before = ParseReportText(first);
    const ParsedReport after = ParseReportText(second);
    std::string subject;
    for (const ParsedNode* item : before.Items("etcchecklist")) {
        const ParsedNode* solution = item->Element("solutionmsg");
        if (solution && solution->Attribute("param") == key) subject = item->ChildText("subject");
    }
    for (const ParsedNode* item : after.Items("etcchecklist"))
        if (!subject.empty() && item->ChildText("subject") == subject) return item->ChildText("resultcolor");
    return "no item";
}

class RepairPageBase : public ControlPageSuite<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(ControlRegistered()) << "regsvr32 could not register Omniprobe.ocx";
        for (const char* name : kSystemFiles) DeleteFileW(Widen(SystemFile(name)).c_str());
        ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\omniprobe_page.exe").c_str(),
                              Widen(page_.file("omniprobe_page.exe")).c_str(), FALSE));
    }
    void TearDown() override {
        for (const char* name : kSystemFiles) {
            DeleteFileW(Widen(SystemFile(name)).c_str());
            RemoveAsides(SystemFile(name));
        }
    }

    PageRun Run(const std::string& params, const std::string& script) {
        PageRun run = RunRepairPage(page_.file("omniprobe_page.exe"), page_.path(), params, script);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        return run;
    }

    // What a table row expects of a run: the call's answer, the boxes shown, a fresh report or none.
    template <typename Row>
    static void ExpectAsTheRowSays(const PageRun& run, const Row& row) {
        EXPECT_EQ(run.returned, row.returned) << run.out;
        EXPECT_EQ(run.boxes, row.boxes);
        EXPECT_EQ(!run.freshReport.empty(), row.freshReport) << run.out;
    }

    com_init com_;  // the DOM parser that reads reports back
    ScratchFolder page_;
    ChildTempFolder temp_;
};

// --- Local mode: one table of calls

struct RepairRow {
    const char* name;
    const char* call;  // JScript expression
    const char* returned;
    std::vector<std::string> boxes;  // the boxes above and Asked(change), in order
    bool freshReport;
    std::function<void(const std::string& page, const std::string& temp)> before;
    std::function<void(const std::string& page, const std::string& temp)> after;
};
void PrintTo(const RepairRow& row, std::ostream* os) { *os << row.name; }

// The rows share one page (a container's start and first diagnosis cost seconds under emulation): each
// row lays the page's folder out again without the stand-ins' records of earlier rows, and its step
// diagnoses anew before the call, so a row proves what it would in a page of its own.
class LocalRepair : public RepairPageBase, public ::testing::WithParamInterface<RepairRow> {
protected:
    struct SharedPage {
        ScratchFolder folder, temp;
        std::unique_ptr<PageSession> session;
    };
    // The shared folders are made before any row's temporary folder, which goes with the row.
    static void SetUpTestSuite() {
        RepairPageBase::SetUpTestSuite();
        shared_.reset(new SharedPage);
    }
    static void TearDownTestSuite() {
        shared_.reset();
        RepairPageBase::TearDownTestSuite();
    }
    void SetUp() override {
        RepairPageBase::SetUp();
        if (!shared_->session || !shared_->session->running()) {
            shared_->session.reset();
            ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\omniprobe_page.exe").c_str(),
                                  Widen(shared_->folder.file("omniprobe_page.exe")).c_str(), FALSE));
            shared_->session = std::make_unique<PageSession>(
                shared_->folder.file("omniprobe_page.exe"),
                std::string("--timeout 3600000 --param Lang=eng --param InstallMode=0 --url ") + kRepairPageAddress,
                shared_->folder.path(),
                std::vector<std::string>{"TMP=" + shared_->temp.path() + "\\", "TEMP=" + shared_->temp.path() + "\\"});
        }
        const ScratchFolder& page = shared_->folder;
        // Listed components carry their names in their version resource; the others are refused before that.
        const std::string component = ReadBytes(TestBinFolder() + "\\regserver_standin.dll");
        const std::string installer = ReadBytes(TestBinFolder() + "\\installer_standin.exe");
        ASSERT_FALSE(component.empty());
        RemoveFiles(page.path(), "*.log");
        for (const char* folder : {"Z4OCX", "Z3OCX", "DLL", "Installer"}) {
            CreateDirectoryW(Widen(page.file(folder)).c_str(), nullptr);
            RemoveFiles(page.file(folder), "*.log");
        }
        WriteBytes(page.file("Z4OCX\\ocxlistz4.txt"),
                   "RepairOk.ocx 1.0.0.5\r\nRepairFails.ocx 1.0.0.5\r\nRepairNoLoad.ocx 1.0.0.5\r\n"
                   "RepairNoSource.ocx 1.0.0.5\r\nRepairUnsigned.ocx 1.0.0.5\r\n");
        WriteBytes(page.file("Z3OCX\\ocxlistz3.txt"), "");
        WriteBytes(page.file("DLL\\dlllist2000.txt"), "RepairDll.dll 1.0.0.1\r\nRepairNoLoad.dll 1.0.0.1\r\n");
        for (const char* name : {"Z4OCX\\NotListed.ocx", "x.dll", "Z4OCX\\x.ocx", "DLL\\x.dll"})
            WriteBytes(page.file(name), component);
        for (const char* name : {"Z4OCX\\RepairOk.ocx", "Z4OCX\\RepairFails.ocx", "DLL\\RepairDll.dll",
                                 "Z4OCX\\RepairNoLoad.ocx", "DLL\\RepairNoLoad.dll"})
            WriteBytes(page.file(name), ReadBytes(TestBinFolder() + "\\named\\" + std::string(name).substr(std::string(name).find('\\') + 1)));
        WriteBytes(page.file("Z4OCX\\RepairUnsigned.ocx"), ReadBytes(TestBinFolder() + "\\signatures\\unsigned\\regserver_standin.dll"));
        WriteBytes(page.file("Installer\\RepairPkg.msi"), ReadBytes(TestBinFolder() + "\\repair_package.msi"));
        for (const char* name : {"Installer\\Setup Tool.exe", "Installer\\Setup.exe", "Installer\\notes.txt", "run.exe"})
            WriteBytes(page.file(name), installer);
    }

    inline static std::unique_ptr<SharedPage> shared_;
};

TEST_P(LocalRepair, AnswersShowsAndRediagnosesAsTheTableSays) {
    const RepairRow& row = GetParam();
    const std::string page = shared_->folder.path(), temp = shared_->temp.file("");
    if (row.before) row.before(page, temp);
    PageRun run = RunRepairStep(*shared_->session, RepairStep(row.call));
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    ASSERT_FALSE(run.firstReport.empty()) << run.out;
    ExpectAsTheRowSays(run, row);
    if (row.after) row.after(page, temp);
}

const std::string kOld = "old component";
unique_hmodule heldOldCopy;  // the old copy, loaded as the browser would still have it

INSTANTIATE_TEST_SUITE_P(
    Calls, LocalRepair,
    ::testing::Values(
        // Nothing is fetched, copied, loaded or run for a name that is not a plain file name.
        RepairRow{"NamesFromScriptAreRefused",
                  "[Omniprobe.InstallOcx('..\\\\..\\\\x.dll'), Omniprobe.InstallOcx('C:\\\\x.ocx'),"
                  " Omniprobe.InstallOcx('a/b.ocx'), Omniprobe.InstallOcx('CON'), Omniprobe.InstallOcx('..\\\\x.dll'),"
                  " Omniprobe.InstallDll('..\\\\x.dll'), Omniprobe.InstallDll('C:\\\\x.ocx'), Omniprobe.InstallDll('NUL'),"
                  " Omniprobe.InstallProgram('..\\\\run.exe'), Omniprobe.InstallProgram('a/b.ocx'),"
                  " Omniprobe.InstallProgram('COM1')].join(' ')",
                  "-31 -31 -31 -31 -31 -31 -31 -31 -31 -31 -31", {}, false, nullptr,
                  [](const std::string& page, const std::string&) {
                      for (const char* name : {"x.dll", "x.ocx", "b.ocx"}) EXPECT_FALSE(FileExists(SystemFile(name))) << name;
                      EXPECT_FALSE(FileExists(page + "\\run.exe.log"));
                  }},
        RepairRow{"ControlOutsideTheListChangesNothing", "Omniprobe.InstallOcx('NotListed.ocx')", "-31", {}, false,
                  nullptr,
                  [](const std::string&, const std::string&) { EXPECT_FALSE(FileExists(SystemFile("NotListed.ocx"))); }},
        // A DLL too reaches the system folder only when the list names it.
        RepairRow{"DllOutsideTheListChangesNothing", "Omniprobe.InstallDll('x.dll')", "-31", {}, false, nullptr,
                  [](const std::string&, const std::string&) { EXPECT_FALSE(FileExists(SystemFile("x.dll"))); }},
        RepairRow{"ListedControlIsCopiedAndRegistered", "Omniprobe.InstallOcx('repairok.ocx')", "0",
                  {Asked("install RepairOk.ocx"), kSucceededBox}, true, nullptr,
                  [](const std::string& page, const std::string&) {
                      EXPECT_EQ(ReadBytes(SystemFile("RepairOk.ocx")), ReadBytes(page + "\\Z4OCX\\RepairOk.ocx"));
                      EXPECT_EQ(ReadBytes(SystemFile("RepairOk.ocx.log")), "registered\n");
                  }},
        // The old copy is moved aside next to it; the new one lands and registers.
        RepairRow{"OldCopyInUseIsMovedAside", "Omniprobe.InstallOcx('RepairOk.ocx')", "0",
                  {Asked("install RepairOk.ocx"), kSucceededBox}, true,
                  [](const std::string&, const std::string&) {
                      WriteBytes(SystemFile("RepairOk.ocx"), ReadBytes(TestBinFolder() + "\\regserver_standin.dll") + "old");
                      heldOldCopy.reset(LoadLibraryW(Widen(SystemFile("RepairOk.ocx")).c_str()));
                      ASSERT_TRUE(heldOldCopy);
                  },
                  [](const std::string& page, const std::string&) {
                      EXPECT_EQ(ReadBytes(SystemFile("RepairOk.ocx")), ReadBytes(page + "\\Z4OCX\\RepairOk.ocx"));
                      EXPECT_EQ(ReadBytes(SystemFile("RepairOk.ocx.log")), "registered\n");
                      // Still loaded, it could be renamed but not deleted.
                      EXPECT_EQ(AsidesOf(SystemFile("RepairOk.ocx")).size(), 1u);
                      heldOldCopy.reset();
                  }},
        RepairRow{"MissingSourceLeavesTheInstalledCopy", "Omniprobe.InstallOcx('RepairNoSource.ocx')", "-31",
                  {Asked("install RepairNoSource.ocx")}, true,
                  [](const std::string&, const std::string&) { WriteBytes(SystemFile("RepairNoSource.ocx"), kOld); },
                  [](const std::string&, const std::string&) {
                      EXPECT_EQ(ReadBytes(SystemFile("RepairNoSource.ocx")), kOld);
                      EXPECT_EQ(AsidesOf(SystemFile("RepairNoSource.ocx")), std::vector<std::string>{});
                  }},
        // The copy that failed to register does not stay behind in the system folder.
        RepairRow{"FailedSelfRegistrationIsReported", "Omniprobe.InstallOcx('RepairFails.ocx')", "-60",
                  {Asked("install RepairFails.ocx")}, true, nullptr,
                  [](const std::string&, const std::string&) {
                      EXPECT_EQ(ReadBytes(SystemFile("RepairFails.ocx.log")), "failed\n");
                      EXPECT_FALSE(FileExists(SystemFile("RepairFails.ocx")));
                  }},
        // The page hears the failure, not 0, after the box that tells the user what to do.
        RepairRow{"ControlThatDoesNotLoadAsksForTheDllsAndSaysSo", "Omniprobe.InstallOcx('RepairNoLoad.ocx')", "-61",
                  {Asked("install RepairNoLoad.ocx"), kFourthDllBox}, false, nullptr,
                  [](const std::string&, const std::string&) { EXPECT_FALSE(FileExists(SystemFile("RepairNoLoad.ocx"))); }},
        RepairRow{"UnsignedControlIsNotInstalled", "Omniprobe.InstallOcx('RepairUnsigned.ocx')", "-104",
                  {Asked("install RepairUnsigned.ocx")}, false, nullptr,
                  [](const std::string& page, const std::string&) {
                      EXPECT_FALSE(FileExists(SystemFile("RepairUnsigned.ocx")));
                      EXPECT_TRUE(FileExists(page + "\\Z4OCX\\RepairUnsigned.ocx"));  // the page's own file stays
                  }},
        RepairRow{"DllIsCopiedAndRegistered", "Omniprobe.InstallDll('RepairDll.dll')", "0",
                  {Asked("install RepairDll.dll"), kSucceededBox}, true, nullptr,
                  [](const std::string&, const std::string&) {
                      EXPECT_EQ(ReadBytes(SystemFile("RepairDll.dll.log")), "registered\n");
                  }},
        // The old copy waited aside and is back, as for a control.
        RepairRow{"DllThatDoesNotLoadIsReportedAndTheOldCopyIsBack", "Omniprobe.InstallDll('RepairNoLoad.dll')", "-61",
                  {Asked("install RepairNoLoad.dll")}, false,
                  [](const std::string&, const std::string&) { WriteBytes(SystemFile("RepairNoLoad.dll"), kOld); },
                  [](const std::string&, const std::string&) {
                      EXPECT_EQ(ReadBytes(SystemFile("RepairNoLoad.dll")), kOld);
                      EXPECT_EQ(AsidesOf(SystemFile("RepairNoLoad.dll")), std::vector<std::string>{});
                  }},
        // The installer's path is quoted: "...\\Installer\\Setup.exe" must not run instead.
        RepairRow{"InstallerPathIsQuoted", "Omniprobe.InstallProgram('Setup Tool.exe')", "0",
                  {Asked("run the installer Setup Tool.exe")}, false, nullptr,
                  [](const std::string& page, const std::string&) {
                      const std::string installer = page + "\\Installer\\Setup Tool.exe";
                      EXPECT_EQ(ReadBytes(installer + ".log"), "\"" + installer + "\"\n");
                      EXPECT_FALSE(FileExists(page + "\\Installer\\Setup.exe.log"));
                  }},
        // A real package, run by the system's msiexec.
        RepairRow{"PackageIsInstalledByMsiexec", "Omniprobe.InstallProgram('RepairPkg.msi')", "0",
                  {Asked("run the installer RepairPkg.msi")}, false, nullptr,
                  [](const std::string& page, const std::string&) {
                      const std::string marker = ProgramFilesFile("OmniprobeRepairPackage\\installed.txt");
                      EXPECT_EQ(ReadBytes(marker), "installed by msiexec\n");
                      ScratchFolder output;
                      RunCaptured("\"" + SystemFile("msiexec.exe") + "\" /x \"" + page + "\\Installer\\RepairPkg.msi\" /qn",
                                  output.path());
                      EXPECT_FALSE(FileExists(marker));
                  }},
        RepairRow{"InstallerOfAnotherKindIsNotRun", "Omniprobe.InstallProgram('notes.txt')", "-31", {}, false, nullptr,
                  [](const std::string& page, const std::string&) {
                      EXPECT_FALSE(FileExists(page + "\\Installer\\notes.txt.log"));
                  }},
        // An installer that cannot be started is a failure the page hears, and nothing is re-diagnosed.
        RepairRow{"AbsentInstallersCannotBeStarted",
                  "[Omniprobe.InstallProgram('MPSetupXP.exe'), Omniprobe.InstallProgram('Unknown.exe'),"
                  " Omniprobe.InstallProgram('Unknown.msi')].join(' ')",
                  "-93 -93 -93",
                  {Asked("run the installer MPSetupXP.exe"), Asked("run the installer Unknown.exe"),
                   Asked("run the installer Unknown.msi")},
                  false, nullptr, nullptr},
        RepairRow{"UnknownSettingIsRefused", "Omniprobe.Modify('Nothing')", "-92", {}, false, nullptr, nullptr},
        RepairRow{"XpOnlySettingIsNotRelevantHere", "Omniprobe.Modify('SpMarklet')", "-96", {}, false, nullptr,
                  nullptr}),
    [](const ::testing::TestParamInfo<RepairRow>& info) { return std::string(info.param.name); });

// --- Modify on a red item: the fresh report shows it black

class ModifySetting : public RepairPageBase {
protected:
    void SetUp() override {
        RepairPageBase::SetUp();
        hadValue_ = ReadDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, saved_);
        SetDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, 0);  // hardware rendering: the item is red
    }
    void TearDown() override {
        if (hadValue_)
            SetDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, saved_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, Widen(kIeMainKey).c_str(), Widen(kSoftwareRenderValue).c_str());
        RepairPageBase::TearDown();
    }
    bool hadValue_ = false;
    DWORD saved_ = 0;
};

TEST_F(ModifySetting, SoftwareRenderingTurnsItsItemBlackInTheFreshReport) {
    PageRun run = Run("--param InstallMode=0", RepairPage("Omniprobe.Modify('usESWrender')"));
    EXPECT_EQ(run.returned, "0") << run.out;
    EXPECT_EQ(run.boxes, std::vector<std::string>{kSucceededBox});
    EXPECT_EQ(ColourAfter(run.firstReport, run.firstReport, kSoftwareRenderValue), "FF0000") << run.out;
    ParsedReport fresh = ParseReportText(run.freshReport);
    std::string subjects;
    for (const std::string& subject : fresh.Subjects("etcchecklist")) subjects += subject + "|";
    EXPECT_EQ(ColourAfter(run.firstReport, run.freshReport, kSoftwareRenderValue), "000000")
        << fresh.ok << " " << subjects << "\n" << run.freshReport;
}

// A Retrieve whose download dialog is still open (the slow server sends its first list at 1 KB per
// 100 ms, for over a second) while the page or the re-diagnosis wants another.
struct OpenDialogRow {
    const char* name;
    const char* calls;     // the page's script after its event handler
    const char* expected;  // what it prints, in order
    size_t boxes;
};
void PrintTo(const OpenDialogRow& row, std::ostream* os) { *os << row.name; }

class RetrieveWithItsDialogOpen : public ModifySetting, public ::testing::WithParamInterface<OpenDialogRow> {};

TEST_P(RetrieveWithItsDialogOpen, EveryReportIsWholeAndComesInOrder) {
    const OpenDialogRow& row = GetParam();
    ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
    const std::string scenario = ProcessScenario("repairs_open_dialog");
    ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist2000.txt", "OrvaneText.dll 1.0.0.1\r\n" + std::string(12000, '\n')));
    ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist98.txt", "OrvaneText.dll 1.0.0.1\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "Z3OCX/ocxlistz3.txt", "Marklet3Outer.ocx 1.0.0.5\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "Z4OCX/ocxlistz4.txt", "Marklet2.ocx 1.0.0.5\r\n"));
    const std::string script =
        "var n = 0;\n"
        "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
        "  n++;\n"
        "  document.write('event ' + (XmlText.indexOf('<group class=\"dll\">') > 0 ? 'full' : 'empty') + '\\n');\n"
        "  if (n == 2) window.setTimeout(function () { document.write('events ' + n + '\\n'); window.close(0); }, 3000);\n"
        "}\n" + std::string(row.calls);
    PageRun run = Run("--param InstallMode=1 --param ServerURL=" + ContentServerUrl("slow") + scenario, script);
    EXPECT_EQ(run.out, row.expected);
    EXPECT_EQ(run.boxes.size(), row.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RetrieveWithItsDialogOpen,
    ::testing::Values(
        // Two quick repairs lead to one re-diagnosis, and it waits until the running Retrieve has returned.
        OpenDialogRow{"RediagnosisWaitsForTheRunningRetrieve",
                      "document.write('modify ' + Omniprobe.Modify('UseSWRender') + '\\n');\n"
                      "document.write('modify ' + Omniprobe.Modify('UseSWRender') + '\\n');\n"
                      "document.write('return ' + Omniprobe.Retrieve() + '\\n');\n",
                      "modify 0\nmodify 0\nevent full\nreturn 0\nevent full\nevents 2\n", 2},
        // The page's own Retrieve inside the running one's dialog is refused at once and fires nothing.
        OpenDialogRow{"PagesRetrieveMeanwhileIsBusy",
                      "document.write('modify ' + Omniprobe.Modify('UseSWRender') + '\\n');\n"
                      "window.setTimeout(function () { document.write('nested ' + Omniprobe.Retrieve() + '\\n'); }, 300);\n"
                      "document.write('return ' + Omniprobe.Retrieve() + '\\n');\n",
                      "modify 0\nnested -105\nevent full\nreturn 0\nevent full\nevents 2\n", 1}),
    [](const ::testing::TestParamInfo<OpenDialogRow>& info) { return std::string(info.param.name); });

// The re-diagnosis armed by one repair waits for a later repair whose download dialog is still open, and
// comes once, after that repair has returned; the page's own Retrieve meanwhile is refused at once (the
// repair still uses the entry of the list that a diagnosis would clear) and fires nothing.
TEST_F(ModifySetting, RediagnosisWaitsForTheRunningRepair) {
    ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
    const std::string scenario = ProcessScenario("repairs_guard");
    ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist2000.txt", "OrvaneText.dll 1.0.0.1\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist98.txt", "OrvaneText.dll 1.0.0.1\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "Z3OCX/ocxlistz3.txt", ""));
    ASSERT_TRUE(PublishContent(scenario + "Z4OCX/ocxlistz4.txt", "RepairSlow.ocx 1.0.0.5\r\n"));
    // Served slowly (1 KB per 100 ms): the component's dialog stays open for well over a second.
    ASSERT_TRUE(PublishContent(scenario + "Z4OCX/RepairSlow.ocx", ReadBytes(TestBinFolder() + "\\named\\RepairSlow.ocx")));
    // The page ends 4 s after the first fresh report: a second one, armed before it, would be due earlier.
    const std::string script =
        "var first = true, n = 0;\n"
        "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
        "  if (first) { first = false; return; }\n"
        "  n++;\n"
        "  document.write('event\\n');\n"
        "  if (n == 1) window.setTimeout(function () { document.write('events ' + n + '\\n'); window.close(0); }, 4000);\n"
        "}\n"
        "Omniprobe.Retrieve();\n"
        "document.write('modify ' + Omniprobe.Modify('UseSWRender') + '\\n');\n"
        "window.setTimeout(function () { document.write('nested ' + Omniprobe.Retrieve() + '\\n'); }, 300);\n"
        "document.write('install ' + Omniprobe.InstallOcx('RepairSlow.ocx') + '\\n');\n";
    PageRun run = Run("--param InstallMode=1 --param ServerURL=" + ContentServerUrl("slow") + scenario, script);
    EXPECT_EQ(run.out, "modify 0\nnested -105\ninstall 0\nevent\nevents 1\n");
}

// --- Web mode: components and installers come from the content server

const std::string kWebScenario = ProcessScenario("repairs_web");

struct WebRow {
    const char* name;
    const char* call;
    const char* returned;
    std::vector<std::string> boxes;
    bool freshReport;
    std::vector<std::string> fetched;  // below the scenario, list files left out
    std::function<void(const std::string& temp)> before;
    std::function<void(const std::string& temp)> after;
};
void PrintTo(const WebRow& row, std::ostream* os) { *os << row.name; }

class WebRepair : public RepairPageBase, public ::testing::WithParamInterface<WebRow> {
protected:
    void SetUp() override {
        RepairPageBase::SetUp();
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        const std::string scenario = kWebScenario;
        ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist2000.txt", "OrvaneText.dll 1.0.0.1\r\n"));
        ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist98.txt", "OrvaneText.dll 1.0.0.1\r\n"));
        ASSERT_TRUE(PublishContent(scenario + "Z3OCX/ocxlistz3.txt", ""));
        ASSERT_TRUE(PublishContent(scenario + "Z4OCX/ocxlistz4.txt", "RepairWeb.ocx 1.0.0.5\r\nRepairGone.ocx 1.0.0.5\r\n"));
        ASSERT_TRUE(PublishContent(scenario + "Z4OCX/RepairWeb.ocx", ReadBytes(TestBinFolder() + "\\named\\RepairWeb.ocx")));
        ASSERT_TRUE(PublishContent(scenario + "Installer/Setup Tool.exe", ReadBytes(TestBinFolder() + "\\installer_standin.exe")));
        WithdrawContent(scenario + "Z4OCX/RepairGone.ocx");
    }
};

TEST_P(WebRepair, FetchesFromTheServerOnlyWhatTheTableSays) {
    const WebRow& row = GetParam();
    if (row.before) row.before(temp_.file(""));
    const size_t before = ContentRequests().size();
    PageRun run = Run("--param InstallMode=1 --param ServerURL=" + ContentServerUrl() + kWebScenario, RepairPage(row.call));
    ASSERT_FALSE(run.firstReport.empty()) << run.out;
    ExpectAsTheRowSays(run, row);
    std::vector<std::string> fetched;
    const std::string folder = "/" + kWebScenario;
    std::vector<std::string> log = ContentRequests();
    for (size_t i = before; i < log.size(); ++i)
        if (log[i].rfind(folder, 0) == 0 && log[i].find(".txt") == std::string::npos)
            fetched.push_back(log[i].substr(folder.size()));
    EXPECT_EQ(fetched, row.fetched);
    if (row.after) row.after(temp_.file(""));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, WebRepair,
    ::testing::Values(
        WebRow{"ControlIsFetchedCopiedAndRegistered", "Omniprobe.InstallOcx('RepairWeb.ocx')", "0",
               {Asked("install RepairWeb.ocx"), kSucceededBox}, true, {"Z4OCX/RepairWeb.ocx"}, nullptr,
               [](const std::string& temp) {
                   EXPECT_EQ(ReadBytes(SystemFile("RepairWeb.ocx")), ReadBytes(TestBinFolder() + "\\named\\RepairWeb.ocx"));
                   EXPECT_EQ(ReadBytes(SystemFile("RepairWeb.ocx.log")), "registered\n");
               }},
        WebRow{"FailedFetchLeavesTheInstalledCopy", "Omniprobe.InstallOcx('RepairGone.ocx')", "-37",
               {Asked("install RepairGone.ocx")}, true, {"Z4OCX/RepairGone.ocx"},
               [](const std::string&) { WriteBytes(SystemFile("RepairGone.ocx"), kOld); },
               [](const std::string&) { EXPECT_EQ(ReadBytes(SystemFile("RepairGone.ocx")), kOld); }},
        WebRow{"NameIsRefusedBeforeAnyFetch", "Omniprobe.InstallOcx('..\\\\Z4OCX\\\\RepairWeb.ocx') + ' ' +"
               " Omniprobe.InstallProgram('..\\\\Installer\\\\Setup Tool.exe')", "-31 -31", {}, false, {}, nullptr,
               nullptr},
        // The extension is checked before anything is fetched.
        WebRow{"InstallerOfAnotherKindIsNotFetched", "Omniprobe.InstallProgram('notes.txt')", "-31", {}, false, {},
               nullptr, nullptr},
        // From a folder of its own below the temporary folder, which goes once the installer has ended.
        WebRow{"InstallerIsFetchedAndRunQuoted", "Omniprobe.InstallProgram('Setup Tool.exe')", "0",
               {Asked("run the installer Setup Tool.exe")}, false, {"Installer/Setup%20Tool.exe"},
               [](const std::string& temp) {
                   SetEnvironmentVariableW(L"OMNI_STANDIN_LOG", Widen(temp + "standin.log").c_str());
               },
               [](const std::string& temp) {
                   SetEnvironmentVariableW(L"OMNI_STANDIN_LOG", nullptr);
                   const std::string line = ReadBytes(temp + "standin.log");
                   const std::string start = "\"" + temp + "omni-dl-", end = "\\Setup Tool.exe\"\n";
                   EXPECT_EQ(line.substr(0, start.size()), start) << line;
                   ASSERT_GE(line.size(), start.size() + 32 + end.size()) << line;
                   EXPECT_EQ(line.substr(start.size() + 32), end) << line;
                   EXPECT_EQ(GetFileAttributesW(Widen(line.substr(1, start.size() + 31)).c_str()), INVALID_FILE_ATTRIBUTES);
               }}),
    [](const ::testing::TestParamInfo<WebRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
