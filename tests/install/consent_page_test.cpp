// Consent: a page that installs code or weakens a setting asks the user first, in a box owned by the
// browser's window that names the page's origin (scheme, host, and port when it is not the default) and
// the change; No changes nothing; a page without a web origin is refused unasked; a page that a host
// policy allows (by its origin, or by its folder for a local page) is not asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/install/install_suite.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const char kPolicyKey[] = "SOFTWARE\\Policies\\Talvek\\Omniprobe";
const char kInstall[] = "Omniprobe.InstallOcx('SigOcx.ocx')";

std::string Succeeded() { return "unowned Talvek Diagnostic Tool: Succeeded"; }

std::string AskedByOrigin(const std::string& origin, const std::string& change) {
    return "owned Talvek Diagnostic Tool: The page at " + origin + " wants to " + change + ". Allow?";
}

struct ConsentRow {
    const char* name;
    const char* options;  // the page's address (--url, or kNoPageAddress) and how it embeds the control
    const char* policy;   // AllowedHosts; null for no policy
    const char* call;
    int answer;
    const char* returned;
    std::vector<std::string> boxes;
    bool installed;
};
void PrintTo(const ConsentRow& row, std::ostream* os) { *os << row.name; }

class Consent : public InstallSuite<::testing::TestWithParam<ConsentRow>> {
protected:
    void TearDown() override {
        DeleteTree(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_WOW64_64KEY);
        for (const char* name : {"SigOcx.ocx", "SigOcx.ocx.log"}) DeleteFileW(Widen(SystemFile(name)).c_str());
    }
};

TEST_P(Consent, AsksInTheNameOfTheOriginUnlessThePolicyDecides) {
    const ConsentRow& row = GetParam();
    WriteBytes(page_.file("Z4OCX\\ocxlistz4.txt"), "SigOcx.ocx 1.0.0.5\r\n");
    WriteBytes(page_.file("Z4OCX\\SigOcx.ocx"), SignedVariant("maker", "SigOcx.ocx"));
    if (row.policy) SetString(HKEY_LOCAL_MACHINE, kPolicyKey, "AllowedHosts", row.policy, REG_SZ, KEY_WOW64_64KEY);
    const std::string script = "Omniprobe.Retrieve();\ndocument.write('return ' + " + std::string(row.call) +
                               " + '\\n');\nwindow.close(0);\n";
    const MachineSnapshot before = TakeSnapshot(page_.path());
    PageRun run = RunLocal(script, row.answer, row.options);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.returned, row.returned) << run.out;
    EXPECT_EQ(run.boxes, row.boxes);
    EXPECT_EQ(ReadBytes(SystemFile("SigOcx.ocx.log")), row.installed ? "registered\n" : "");
    if (!row.installed) {
        EXPECT_EQ(ChangesBetween(before, TakeSnapshot(page_.path())), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, Consent,
    ::testing::Values(
        // new ActiveXObject, a script host: "a page" could be any page.
        ConsentRow{"PageWithoutAnAddressIsRefusedUnasked", kNoPageAddress, nullptr, kInstall, IDYES, "-103", {}, false},
        ConsentRow{"AboutBlankIsRefusedUnasked", "--url about:blank", nullptr, kInstall, IDYES, "-103", {}, false},
        ConsentRow{"PageIsNamedByItsOrigin", "--url http://desk.example:8080/help/diagnose.html", nullptr, kInstall,
                   IDYES, "0", {AskedByOrigin("http://desk.example:8080", "install SigOcx.ocx"), Succeeded()}, true},
        ConsentRow{"NoChangesNothing", "--url https://desk.example/", nullptr, kInstall, IDNO, "-80",
                   {AskedByOrigin("https://desk.example", "install SigOcx.ocx")}, false},
        ConsentRow{"PageThePolicyAllowsIsNotAsked", "--url https://desk.example/", "desk.example", kInstall, IDYES, "0",
                   {Succeeded()}, true},
        ConsentRow{"LocalPageInAFolderThePolicyAllowsIsNotAsked", "--url file:///C:/Desk/diagnose.html",
                   "desk.example; file:///C:/Desk/", kInstall, IDYES, "0", {Succeeded()}, true},
        // A second object without a window of its own: its question is still owned, by the browser's window.
        ConsentRow{"WindowlessControlAsksInABoxOwnedByTheBrowser", "--no-window --url https://desk.example/", nullptr,
                   "Omniprobe.Modify('IePopop')", IDNO, "-80",
                   {AskedByOrigin("https://desk.example", "turn off the pop-up blocker")}, false}),
    [](const ::testing::TestParamInfo<ConsentRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
