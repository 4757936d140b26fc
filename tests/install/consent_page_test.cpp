// Consent: a page that installs code asks the user first, in a box owned by the control's window that
// names the page's host and the change; No changes nothing; a page that a host policy allows is not asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/install/install_suite.h"
#include "tests/support/box_presser.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

constexpr UINT kToolCaptionText = 248;
constexpr UINT kInformationCaptionText = 258;
constexpr UINT kSucceededText = 236;
const char kPolicyKey[] = "SOFTWARE\\Policies\\Talvek\\Omniprobe";

std::string Succeeded() { return "unowned " + EnglishText(kInformationCaptionText) + ": " + EnglishText(kSucceededText); }

std::string AskedByHost(const std::string& host, const std::string& change) {
    return "owned " + EnglishText(kToolCaptionText) + ": The page at " + host + " wants to " + change + ". Allow?";
}

struct ConsentRow {
    const char* name;
    const char* url;     // the page's address; "" for none
    const char* policy;  // AllowedHosts; null for no policy
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

TEST_P(Consent, AsksUnlessThePolicyAllowsThePageAndNoChangesNothing) {
    const ConsentRow& row = GetParam();
    WriteBytes(page_.file("Z4OCX\\ocxlistz4.txt"), "SigOcx.ocx 1.0.0.5\r\n");
    WriteBytes(page_.file("Z4OCX\\SigOcx.ocx"), SignedVariant("maker", "SigOcx.ocx"));
    if (row.policy) SetString(HKEY_LOCAL_MACHINE, kPolicyKey, "AllowedHosts", row.policy, REG_SZ, KEY_WOW64_64KEY);
    const std::string script =
        "Omniprobe.Retrieve();\ndocument.write('return ' + Omniprobe.InstallOcx('SigOcx.ocx') + '\\n');\nwindow.close(0);\n";
    const MachineSnapshot before = TakeSnapshot(page_.path());
    PageRun run = RunLocal(script, row.answer, *row.url ? std::string("--url ") + row.url : std::string());
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
        ConsentRow{"PageWithoutAnAddressIsAsked", "", nullptr, IDYES, "0",
                   {Asked("install SigOcx.ocx"), Succeeded()}, true},
        ConsentRow{"PageIsNamedByItsHost", "https://desk.example:8443/help/diagnose.html", nullptr, IDYES, "0",
                   {AskedByHost("desk.example", "install SigOcx.ocx"), Succeeded()}, true},
        ConsentRow{"NoChangesNothing", "https://desk.example/", nullptr, IDNO, "-80",
                   {AskedByHost("desk.example", "install SigOcx.ocx")}, false},
        ConsentRow{"PageThePolicyAllowsIsNotAsked", "https://desk.example/", "desk.example", IDYES, "0", {Succeeded()},
                   true}),
    [](const ::testing::TestParamInfo<ConsentRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
