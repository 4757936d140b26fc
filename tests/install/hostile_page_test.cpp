// A foreign page in web mode, with no host policy installed, run through the page container against its
// own content server: it points the control at files of its own choosing, and a user answers Yes to every
// question. Each row is one thing such a page (or a program of the same user) tries. Every call answers
// its code; nothing of the page's is left in the system folder, the user's component folders, the
// temporary folder or the registry; and nothing of the page's ran: the stand-ins record every run and
// every load of theirs, and their record must be what the row says (nothing, or a refused tampering).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/install/install_suite.h"
#include "tests/support/content_server.h"
#include "tests/support/parsed_report.h"

namespace omni::test {
namespace {

const std::string kScenario = ProcessScenario("hostile");
const char kOutside[] = "..\\..\\..\\windows\\win.ini 1.0\r\nC:\\windows\\system.ini 1.0\r\n\\\\evil.example\\share\\x.ocx 1.0\r\n";
const char kOld[] = "old component";
const char kNotTheComponent[] = "The file offered is not the component asked for, or is older than the one installed.";
const char kNotTheComponentKorean[] = "제공된 파일이 요청한 구성 요소가 아니거나, 설치된 것보다 오래된 버전입니다.";
const char kInstallerFailed[] = "The installer ended with an error.";
const char kInstallerFailedKorean[] = "설치 프로그램이 오류와 함께 종료되었습니다.";

std::string Bin(const std::string& file) { return ReadBytes(TestBinFolder() + "\\" + file); }

// The stand-ins' record with the temporary folder as "%TEMP%\" and a download folder's random part as "*".
std::string Normalized(std::string record, const std::string& temp) {
    for (size_t at; (at = record.find(temp)) != std::string::npos;) record.replace(at, temp.size(), "%TEMP%\\");
    for (size_t at = 0; (at = record.find("omni-dl-", at)) != std::string::npos; at += 9)
        if (record.size() - at >= 8 + 32) record.replace(at + 8, 32, "*");
    return record;
}

// Publishes the four lists of a server folder: the DLL list (both systems' names) and the Z4 list.
void PublishLists(const std::string& folder, const std::string& dlls, const std::string& z4) {
    ASSERT_TRUE(PublishContent(folder + "DLL/dlllist2000.txt", dlls));
    ASSERT_TRUE(PublishContent(folder + "DLL/dlllist98.txt", dlls));
    ASSERT_TRUE(PublishContent(folder + "Z3OCX/ocxlistz3.txt", ""));
    ASSERT_TRUE(PublishContent(folder + "Z4OCX/ocxlistz4.txt", z4));
}

struct HostileRow {
    const char* name;
    // Publishes the page's files below its server folder (and another server's below elsewhere) and puts
    // onto the PC what was there before the page came.
    std::function<void(const std::string& server, const std::string& elsewhere)> arrange;
    // A JScript function body after a first Retrieve that returns the answers to show. SERVER, SHORT
    // (the page's folder on the server's short-body mode) and ELSEWHERE are the base addresses.
    const char* calls;
    std::string returned;                   // the answers joined by "|"
    std::vector<std::string> fetched;       // what was asked of the servers besides the lists
    std::vector<std::string> environment;   // NAME=value, for the page and what it starts
    const char* recorded;  // the stand-ins' record (see Normalized): what of theirs ran, and what they met
    std::vector<std::string> placed;        // system files the arrangement put there, removed afterwards
};
void PrintTo(const HostileRow& row, std::ostream* os) { *os << row.name; }

class HostilePage : public InstallSuite<::testing::TestWithParam<HostileRow>> {
protected:
    void SetUp() override {
        InstallSuite::SetUp();
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
    }
    void TearDown() override {
        for (const std::string& variable : GetParam().environment)
            SetEnvironmentVariableW(Widen(variable.substr(0, variable.find('='))).c_str(), nullptr);
        for (const std::string& name : GetParam().placed) {
            DeleteFileW(Widen(SystemFile(name)).c_str());
            RemoveAsides(SystemFile(name));
        }
    }
};

TEST_P(HostilePage, AnswersItsCodeAndLeavesNothingOfThePageBehind) {
    const HostileRow& row = GetParam();
    const std::string server = kScenario + row.name + "/", elsewhere = kScenario + row.name + "_elsewhere/";
    row.arrange(server, elsewhere);
    if (HasFatalFailure()) return;
    const std::string record = page_.file("standin.log");
    SetEnvironmentVariableW(L"OMNI_STANDIN_LOG", Widen(record).c_str());
    for (const std::string& variable : row.environment) {
        const size_t equals = variable.find('=');
        SetEnvironmentVariableW(Widen(variable.substr(0, equals)).c_str(), Widen(variable.substr(equals + 1)).c_str());
    }
    const std::string script =
        "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
        "  document.write('first ' + XmlText.replace(/[\\r\\n]/g, '') + '\\n');\n"
        "}\n"
        "var SERVER = '" + ContentServerUrl() + server + "', SHORT = '" + ContentServerUrl("short") + server +
        "', ELSEWHERE = '" + ContentServerUrl() + elsewhere + "';\n"
        "Omniprobe.Retrieve();\n"
        "document.write('return ' + (function () {\n" + row.calls + "\n})().join('|') + '\\n');\n"
        "window.close(0);\n";

    const MachineSnapshot before = TakeSnapshot(page_.path());
    const size_t requestsBefore = ContentRequests().size();
    PageRun run = RunRepairPage(page_.file(container_), page_.path(),
                                "--param InstallMode=1 --param ServerURL=" + ContentServerUrl() + server +
                                    " --url " + ContentServerUrl() + server + "diagnose.html",
                                script);
    SetEnvironmentVariableW(L"OMNI_STANDIN_LOG", nullptr);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.returned, row.returned) << run.out;
    EXPECT_EQ(Normalized(ReadBytes(record), TempFile("")), row.recorded);
    EXPECT_EQ(ChangesBetween(before, TakeSnapshot(page_.path())), std::vector<std::string>{});

    // What the page had fetched, lists left out; the short-body mode's requests count as the page's own.
    std::vector<std::string> fetched;
    const std::vector<std::string> log = ContentRequests();
    for (size_t i = requestsBefore; i < log.size(); ++i) {
        std::string path = log[i].rfind("/short/", 0) == 0 ? log[i].substr(6) : log[i];
        if (path.find(".txt") != std::string::npos || path.rfind("/" + kScenario, 0) != 0) continue;
        fetched.push_back(path.substr(kScenario.size() + 1));
    }
    EXPECT_EQ(fetched, row.fetched);
    for (const std::string& name : row.placed) EXPECT_EQ(AsidesOf(SystemFile(name)), std::vector<std::string>{});

    // Only plain names from the lists were probed: the report names nothing outside the component folders.
    const ParsedReport report = ParseReportText(run.firstReport);
    ASSERT_TRUE(report.ok) << run.out;
    for (const char* group : {"ocx_z4", "ocx_z3", "dll"})
        for (const std::string& subject : report.Subjects(group))
            EXPECT_EQ(subject.find_first_of("\\/:"), std::string::npos) << subject;
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, HostilePage,
    ::testing::Values(
        // Its own files, unsigned, signed by nobody trusted or by a namesake of the maker, the maker's own
        // installer with the page's bytes padded into its signature's certificate table, and names with
        // paths: each refused before anything is copied or run.
        HostileRow{"ForeignCode",
                   [](const std::string& s, const std::string&) {
                       PublishLists(s, "planted.dll 1.0.0.1\r\n" + std::string(kOutside),
                                    "evil.ocx 9.9.9.9\r\n" + std::string(kOutside));
                       ASSERT_TRUE(PublishContent(s + "Z4OCX/evil.ocx", SignedVariant("unsigned", "regserver_standin.dll")));
                       ASSERT_TRUE(PublishContent(s + "DLL/planted.dll", SignedVariant("untrusted", "regserver_standin.dll")));
                       ASSERT_TRUE(PublishContent(s + "Installer/evil.exe", SignedVariant("samename", "installer_standin.exe")));
                       ASSERT_TRUE(PublishContent(s + "Installer/padded.exe", SignedVariant("padded", "installer_standin.exe")));
                   },
                   "return [Omniprobe.InstallOcx('evil.ocx'), Omniprobe.InstallDll('planted.dll'),\n"
                   "  Omniprobe.InstallProgram('evil.exe'), Omniprobe.InstallProgram('padded.exe'),\n"
                   "  Omniprobe.InstallOcx('..\\\\..\\\\..\\\\windows\\\\win.ini'),\n"
                   "  Omniprobe.InstallDll('C:\\\\windows\\\\system.ini')];",
                   "-104|-104|-104|-104|-31|-31",
                   {"ForeignCode/Z4OCX/evil.ocx", "ForeignCode/DLL/planted.dll", "ForeignCode/Installer/evil.exe",
                    "ForeignCode/Installer/padded.exe"},
                   {}, "", {}},
        // The maker's own signature on an older build: over the copy in place (1.0.0.4 over 1.0.0.5), and
        // below the version the list asks for.
        HostileRow{"OlderMakerSignedComponent",
                   [](const std::string& s, const std::string&) {
                       PublishLists(s, "", "Quadrel.ocx 1.0.0.1\r\nSigOcx.ocx 9.9.9.9\r\n");
                       ASSERT_TRUE(PublishContent(s + "Z4OCX/Quadrel.ocx", Bin("named_old\\Quadrel.ocx")));
                       ASSERT_TRUE(PublishContent(s + "Z4OCX/SigOcx.ocx", Bin("named\\SigOcx.ocx")));
                       WriteBytes(SystemFile("Quadrel.ocx"), Bin("named\\Quadrel.ocx"));
                   },
                   "return [Omniprobe.InstallOcx('Quadrel.ocx'), Omniprobe.InstallOcx('SigOcx.ocx')];",
                   "-106|-106", {"OlderMakerSignedComponent/Z4OCX/Quadrel.ocx", "OlderMakerSignedComponent/Z4OCX/SigOcx.ocx"},
                   {}, "", {"Quadrel.ocx"}},
        // Another of the maker's files served under a listed name, a control and a DLL; the page then
        // hears what the code means, in both languages.
        HostileRow{"MakerSignedFileOfAnotherName",
                   [](const std::string& s, const std::string&) {
                       PublishLists(s, "OrvaneCodec.dll 1.0.0.1\r\n", "QuadrelU.ocx 1.0.0.1\r\n");
                       ASSERT_TRUE(PublishContent(s + "Z4OCX/QuadrelU.ocx", Bin("named\\Quadrel.ocx")));
                       ASSERT_TRUE(PublishContent(s + "DLL/OrvaneCodec.dll", Bin("named\\SigDll.dll")));
                   },
                   "var r = [Omniprobe.InstallOcx('QuadrelU.ocx'), Omniprobe.InstallDll('OrvaneCodec.dll'),\n"
                   "  Omniprobe.GetErrorMsg(-106)];\n"
                   "Omniprobe.Lang = 'kor';\n"
                   "r.push(Omniprobe.GetErrorMsg(-106));\n"
                   "return r;",
                   std::string("-106|-106|") + kNotTheComponent + "|" + kNotTheComponentKorean,
                   {"MakerSignedFileOfAnotherName/Z4OCX/QuadrelU.ocx", "MakerSignedFileOfAnotherName/DLL/OrvaneCodec.dll"},
                   {}, "", {}},
        // A DLL whose body stops short of its announced length, then a signed installer that loads a DLL
        // of that name from its own folder: the short file is gone, and the installer's folder holds only
        // the installer, so the system does not find the DLL and the installer's code never runs.
        HostileRow{"ShortDownloadThenAnInstallerThatImportsIt",
                   [](const std::string& s, const std::string&) {
                       PublishLists(s, "omnihelper.dll 1.0.0.1\r\n", "");
                       ASSERT_TRUE(PublishContent(s + "DLL/omnihelper.dll", Bin("helper\\omnihelper.dll")));
                       ASSERT_TRUE(PublishContent(s + "Installer/setup_imports.exe", Bin("setup_imports.exe")));
                   },
                   "Omniprobe.ServerURL = SHORT;\n"
                   "Omniprobe.Retrieve();\n"
                   "var r = [Omniprobe.InstallDll('omnihelper.dll')];\n"
                   "Omniprobe.ServerURL = SERVER;\n"
                   "Omniprobe.Retrieve();\n"
                   "r.push(Omniprobe.InstallProgram('setup_imports.exe'));\n"
                   "return r;",
                   "-37|-107",
                   {"ShortDownloadThenAnInstallerThatImportsIt/DLL/omnihelper.dll",
                    "ShortDownloadThenAnInstallerThatImportsIt/Installer/setup_imports.exe"},
                   {}, "", {}},
        // The new copy fails to register, and meanwhile another program (here the component's own
        // registration) tries to replace the old copy waiting aside, and the new copy: both are held, the
        // old copy goes back as it was, and nothing is left beside it.
        HostileRow{"RollbackWhoseAsideAnotherProgramTriesToReplace",
                   [](const std::string& s, const std::string&) {
                       PublishLists(s, "", "AsideGuard.ocx 1.0.0.5\r\n");
                       ASSERT_TRUE(PublishContent(s + "Z4OCX/AsideGuard.ocx", Bin("named\\AsideGuard.ocx")));
                       WriteBytes(SystemFile("AsideGuard.ocx"), kOld);
                   },
                   "return [Omniprobe.InstallOcx('AsideGuard.ocx')];", "-60",
                   {"RollbackWhoseAsideAnotherProgramTriesToReplace/Z4OCX/AsideGuard.ocx"},
                   {"OMNI_STANDIN_TAMPER=1", "OMNI_REGSERVER_STANDIN=fails"},
                   "tamper own 32 32 32\ntamper aside 32 32 32\nfailed\n", {"AsideGuard.ocx"}},
        // An installer that ends with 1603: a failure, which the page hears; msorun's pre-approval, which
        // only its success brings, does not follow (the registry is as before).
        HostileRow{"InstallerThatFails",
                   [](const std::string& s, const std::string&) {
                       PublishLists(s, "", "");
                       ASSERT_TRUE(PublishContent(s + "Installer/msorun.exe", Bin("installer_standin.exe")));
                   },
                   "var r = [Omniprobe.InstallProgram('msorun.exe'), Omniprobe.GetErrorMsg(-107)];\n"
                   "Omniprobe.Lang = 'kor';\n"
                   "r.push(Omniprobe.GetErrorMsg(-107));\n"
                   "return r;",
                   std::string("-107|") + kInstallerFailed + "|" + kInstallerFailedKorean,
                   {"InstallerThatFails/Installer/msorun.exe"}, {"OMNI_INSTALLER_EXIT_CODE=1603"},
                   "\"%TEMP%\\omni-dl-*\\msorun.exe\"\n", {}},
        // A second object, windowless, pointed at another server: the first object's install still
        // fetches from its own server only (which lacks the file).
        HostileRow{"WindowlessObjectPointsServerUrlElsewhere",
                   [](const std::string& s, const std::string& elsewhere) {
                       PublishLists(s, "", "SigOcx.ocx 1.0.0.1\r\n");
                       PublishLists(elsewhere, "", "SigOcx.ocx 1.0.0.1\r\n");
                       ASSERT_TRUE(PublishContent(elsewhere + "Z4OCX/SigOcx.ocx", Bin("named\\SigOcx.ocx")));
                       WithdrawContent(s + "Z4OCX/SigOcx.ocx");
                   },
                   "var other = new ActiveXObject('OMNIPROBE.OmniprobeCtrl.1');\n"
                   "other.InstallMode = 1;\n"
                   "other.ServerURL = ELSEWHERE;\n"
                   "return [other.Retrieve(), Omniprobe.InstallOcx('SigOcx.ocx')];",
                   "-101|-37", {"WindowlessObjectPointsServerUrlElsewhere/Z4OCX/SigOcx.ocx"}, {}, "", {}}),
    // Rows still to come keep the form above: name, arrangement, calls, answers, fetches, environment,
    // the stand-ins' record, the system files placed.
    [](const ::testing::TestParamInfo<HostileRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
