// A foreign page, with no host policy installed: it points ServerURL at its own server, whose lists name
// its own files and files outside the component folders, and asks for every install. A user who answers
// Yes to every question is still safe: every install answers an error, and nothing of the page's is in
// the system, user or temporary folders or the registry; nothing was registered or run, and the report
// has no entry outside the component folders.
#include <gtest/gtest.h>

#include <string>

#include "tests/install/install_suite.h"
#include "tests/support/content_server.h"
#include "tests/support/parsed_report.h"

namespace omni::test {
namespace {

const std::string kScenario = ProcessScenario("hostile");
const char kOutside[] = "..\\..\\..\\windows\\win.ini 1.0\r\nC:\\windows\\system.ini 1.0\r\n\\\\evil.example\\share\\x.ocx 1.0\r\n";
const char* const kListFiles[] = {"dlllist2000.txt", "dlllist98.txt", "ocxlistz3.txt", "ocxlistz4.txt"};

class HostilePage : public InstallSuite<::testing::Test> {
protected:
    void SetUp() override {
        InstallSuite::SetUp();
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        const std::string scenario = kScenario;
        ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist2000.txt", "planted.dll 1.0.0.1\r\n" + std::string(kOutside)));
        ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist98.txt", "planted.dll 1.0.0.1\r\n"));
        ASSERT_TRUE(PublishContent(scenario + "Z3OCX/ocxlistz3.txt", kOutside));
        ASSERT_TRUE(PublishContent(scenario + "Z4OCX/ocxlistz4.txt", "evil.ocx 9.9.9.9\r\n" + std::string(kOutside)));
        ASSERT_TRUE(PublishContent(scenario + "Z4OCX/evil.ocx", SignedVariant("unsigned", "regserver_standin.dll")));
        ASSERT_TRUE(PublishContent(scenario + "DLL/planted.dll", SignedVariant("untrusted", "regserver_standin.dll")));
        ASSERT_TRUE(PublishContent(scenario + "Installer/evil.exe", SignedVariant("samename", "installer_standin.exe")));
    }
};

TEST_F(HostilePage, GetsAnErrorForEveryInstallAndLeavesNothingBehind) {
    const std::string script =
        "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
        "  document.write('first ' + XmlText.replace(/[\\r\\n]/g, '') + '\\n');\n"
        "}\n"
        "Omniprobe.Retrieve();\n"
        "document.write('return ' + [Omniprobe.InstallOcx('evil.ocx'), Omniprobe.InstallDll('planted.dll'),\n"
        "  Omniprobe.InstallProgram('evil.exe'), Omniprobe.InstallOcx('..\\\\..\\\\..\\\\windows\\\\win.ini'),\n"
        "  Omniprobe.InstallDll('C:\\\\windows\\\\system.ini')].join(' ') + '\\n');\n"
        "window.close(0);\n";
    // The page's lists land in the temporary folder as any server's do; they hold no component.
    for (const char* list : kListFiles) DeleteFileW(Widen(TempFile(list)).c_str());
    const MachineSnapshot before = TakeSnapshot(page_.path());
    const size_t requestsBefore = ContentRequests().size();
    PageRun run = RunRepairPage(page_.file(container_), page_.path(),
                                "--param InstallMode=1 --param ServerURL=" + ContentServerUrl() + kScenario, script);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.returned, "-104 -104 -104 -31 -31") << run.out;
    // The page's files were fetched, refused and deleted; nothing named by a path was asked for.
    std::vector<std::string> fetched;
    const std::vector<std::string> log = ContentRequests();
    const std::string folder = std::string("/") + kScenario;
    for (size_t i = requestsBefore; i < log.size(); ++i)
        if (log[i].rfind(folder, 0) == 0 && log[i].find(".txt") == std::string::npos)
            fetched.push_back(log[i].substr(folder.size()));
    EXPECT_EQ(fetched, (std::vector<std::string>{"Z4OCX/evil.ocx", "DLL/planted.dll", "Installer/evil.exe"}));

    std::vector<std::string> changes;
    for (const std::string& change : ChangesBetween(before, TakeSnapshot(page_.path()))) {
        bool list = false;
        for (const char* name : kListFiles) list = list || change.find(std::string("\\") + name + " ") != std::string::npos;
        if (!list) changes.push_back(change);
    }
    EXPECT_EQ(changes, std::vector<std::string>{});

    // Only plain names from the lists were probed: the report names the page's own files and nothing else.
    const ParsedReport report = ParseReportText(run.firstReport);
    ASSERT_TRUE(report.ok) << run.out;
    std::vector<std::string> components;
    for (const char* group : {"ocx_z4", "ocx_z3", "dll"})
        for (const std::string& subject : report.Subjects(group)) components.push_back(subject);
    EXPECT_EQ(components, (std::vector<std::string>{"evil.ocx", "planted.dll"}));
}

}  // namespace
}  // namespace omni::test
