// When a repair asks the user first: only a valid request that installs code or weakens a security
// setting, and only when something will really change. No answers -80 and changes nothing. Whom it asks:
// the policy may vouch for the page, an http(s) page is asked in the name of its origin, and any other
// page is refused unasked.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "control/page_standing.h"
#include "control/repair_flow.h"
#include "core/message_catalog.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "diagnosis/total_info.h"
#include "install/component_list.h"
#include "machine/component_ids.h"
#include "machine/folder_mng.h"
#include "probes/popup_detector.h"
#include "tests/support/fake_diagnosis_probes.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const std::string kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";
const std::string kMarklet2Settings = kSettings + kComponentIds[kMarklet2Row].clsid;

class AnsweringUi : public RepairUi {
public:
    explicit AnsweringUi(int answer) : answer_(answer) {}
    void Inform(unsigned) override {}
    void Warn(unsigned) override {}
    void ArmRediagnosis() override {}
    void ShowFlashVerification() override {}
    int Consent(const std::string& change) override {
        asked.push_back(change);
        return answer_;
    }
    std::vector<std::string> asked;

private:
    int answer_;
};

struct ConsentRow {
    const char* name;
    std::function<int(CTotalInfo& info, RepairUi& ui)> call;
    int answer;  // RepairUi::Consent's: kOk for Yes, kUserCanceled for No, kHostNotAllowed for a page not asked
    int code;
    std::vector<std::string> asked;
    std::function<void()> arrange;
    std::function<void()> check;  // what must be as it was
};
void PrintTo(const ConsentRow& row, std::ostream* os) { *os << row.name; }

class ConsentDecisions : public ::testing::TestWithParam<ConsentRow> {
protected:
    void SetUp() override {
        SetCatalogLanguage(kLangEnglish);
        GetModuleState().isAdmin = true;
        ASSERT_EQ(GetFolderMng().Init(), kOk);
        CreateKey(HKEY_CURRENT_USER, kNewWindowsKey);
        CreateKey(HKEY_CURRENT_USER, kSettings);
        run_.components = {{"Quadrel.ocx", kKindZ4Control, "1.0.0.5", "1.0.0.4", 1},
                           {"Marklet2.ocx", kKindZ4Control, "1.0.0.5", "1.0.0.5", 1},
                           {"OrvaneText.dll", kKindDll, "1.0.0.1", "1.0.0.1", 1}};
    }
    void TearDown() override {
        GetModuleState() = saved_;
        SetCatalogLanguage(kLangKorean);
    }

    ModuleState saved_ = GetModuleState();
    RegistrySandbox sandbox_;
    FakeRunProbes run_;
    FakeGradingProbes grading_;
};

TEST_P(ConsentDecisions, AskOnlyWhenSomethingWouldChange) {
    const ConsentRow& row = GetParam();
    if (row.arrange) row.arrange();
    CTotalInfo info(run_, grading_);
    info.Run();
    AnsweringUi ui(row.answer);
    EXPECT_EQ(row.call(info, ui), row.code);
    EXPECT_EQ(ui.asked, row.asked);
    if (row.check) row.check();
}

int Modify(const char* key, CTotalInfo& info, RepairUi& ui) { return RunModify(key, info, ui); }

std::string PopupMgr() {
    std::string value;
    ReadString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, value);
    return value;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ConsentDecisions,
    ::testing::Values(
        ConsentRow{"PopupBlockerIsTurnedOffOnlyAfterYes", [](auto& i, auto& u) { return Modify("IePopop", i, u); },
                   kUserCanceled, kUserCanceled, {"turn off the pop-up blocker"},
                   [] { SetString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, "yes"); },
                   [] { EXPECT_EQ(PopupMgr(), "yes"); }},
        ConsentRow{"PageThatMayNotBeAskedChangesNothing", [](auto& i, auto& u) { return Modify("IePopop", i, u); },
                   kHostNotAllowed, kHostNotAllowed, {"turn off the pop-up blocker"},
                   [] { SetString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, "yes"); },
                   [] { EXPECT_EQ(PopupMgr(), "yes"); }},
        ConsentRow{"PopupBlockerAlreadyOffIsNotAskedAbout", [](auto& i, auto& u) { return Modify("iepopop", i, u); },
                   kUserCanceled, kOk, {}, [] { SetString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, "no"); },
                   nullptr},
        ConsentRow{"StatusBarScriptingIsAskedAbout",
                   [](auto& i, auto& u) { return Modify("AllowStatusbarModifyByScript", i, u); }, kUserCanceled, kUserCanceled,
                   {"let scripts change the status bar"}, nullptr, nullptr},
        ConsentRow{"PreApprovalIsAskedAbout", [](auto& i, auto& u) { return Modify("PreapproveMsorundll", i, u); },
                   kUserCanceled, kUserCanceled, {"let the msorun add-ons run without asking"}, nullptr, nullptr},
        ConsentRow{"SettingThatWeakensNothingIsNotAskedAbout",
                   [](auto& i, auto& u) { return Modify("UseSWRender", i, u); }, kUserCanceled, kOk, {},
                   [] { CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main"); }, nullptr},
        ConsentRow{"UnknownKeyIsNotAskedAbout", [](auto& i, auto& u) { return Modify("Nothing", i, u); }, kOk,
                   kUndefinedArgument, {}, nullptr, nullptr},
        ConsentRow{"OldControlIsAskedAbout", [](auto& i, auto& u) { return RunInstallOcx("quadrel.ocx", i, u); },
                   kUserCanceled, kUserCanceled, {"install Quadrel.ocx"}, nullptr, nullptr},
        ConsentRow{"UpToDateControlIsNotAskedAbout",
                   [](auto& i, auto& u) { return RunInstallOcx("Marklet2.ocx", i, u); }, kUserCanceled, kOk, {}, nullptr,
                   nullptr},
        ConsentRow{"UpToDateControlTurnedOffIsAskedAboutTurningItOn",
                   [](auto& i, auto& u) { return RunInstallOcx("Marklet2.ocx", i, u); }, kUserCanceled, kUserCanceled,
                   {"turn the Marklet2.ocx add-on back on"},
                   [] { SetDword(HKEY_CURRENT_USER, kMarklet2Settings, "Flags", 1); },
                   [] { EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, kMarklet2Settings)); }},
        ConsentRow{"ControlOutsideTheListIsNotAskedAbout",
                   [](auto& i, auto& u) { return RunInstallOcx("NotListed.ocx", i, u); }, kOk, kFileMissing, {},
                   nullptr, nullptr},
        ConsentRow{"NameWithAPathIsNotAskedAbout",
                   [](auto& i, auto& u) { return RunInstallDll("..\\OrvaneText.dll", i, u); }, kOk, kFileMissing, {},
                   nullptr, nullptr},
        ConsentRow{"DllOutsideTheListIsNotAskedAbout", [](auto& i, auto& u) { return RunInstallDll("x.dll", i, u); },
                   kOk, kFileMissing, {}, nullptr, nullptr},
        ConsentRow{"ListedDllIsAskedAbout", [](auto& i, auto& u) { return RunInstallDll("orvanetext.dll", i, u); },
                   kUserCanceled, kUserCanceled, {"install OrvaneText.dll"}, nullptr, nullptr},
        ConsentRow{"InstallerOfAnotherKindIsNotAskedAbout",
                   [](auto&, auto& u) { return RunInstallProgram("notes.txt", u); }, kOk, kFileMissing, {}, nullptr,
                   nullptr},
        ConsentRow{"InstallerIsAskedAbout", [](auto&, auto& u) { return RunInstallProgram("Setup.exe", u); },
                   kUserCanceled, kUserCanceled, {"run the installer Setup.exe"}, nullptr, nullptr},
        // Its success also pre-approves the msorun add-ons, which the question must not keep quiet about.
        ConsentRow{"MsorunInstallerNamesThePreApproval",
                   [](auto&, auto& u) { return RunInstallProgram("MSORUN.exe", u); }, kUserCanceled, kUserCanceled,
                   {"run the installer MSORUN.exe and then let the msorun add-ons run without asking"}, nullptr,
                   nullptr}),
    [](const ::testing::TestParamInfo<ConsentRow>& info) { return std::string(info.param.name); });

struct StandingRow {
    const char* name;
    const char* policy;  // AllowedHosts; null for no policy
    const char* page;    // the page's address
    PageStanding standing;
    const char* english;  // the question about installing Quadrel.ocx, when asked
    const char* korean;
};
void PrintTo(const StandingRow& row, std::ostream* os) { *os << row.name; }

class PageStandingOf : public ::testing::TestWithParam<StandingRow> {
protected:
    void TearDown() override { SetCatalogLanguage(kLangKorean); }
};

TEST_P(PageStandingOf, DecidesWhetherAndInWhoseNameThePageIsAsked) {
    const StandingRow& row = GetParam();
    HostPolicy policy;
    policy.present = row.policy != nullptr;
    policy.allowedHosts = row.policy ? row.policy : "";
    EXPECT_EQ(StandingOf(policy, row.page), row.standing);
    if (row.standing != PageStanding::kAsk) return;
    SetCatalogLanguage(kLangEnglish);
    EXPECT_EQ(ConsentQuestion(row.page, "install Quadrel.ocx"), row.english);
    SetCatalogLanguage(kLangKorean);
    if (row.korean) {
        EXPECT_EQ(ConsentQuestion(row.page, "Quadrel.ocx 설치"), row.korean);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageStandingOf,
    ::testing::Values(
        StandingRow{"PortThatIsNotTheDefaultIsNamed", nullptr, "http://desk.example:8080/help/diagnose.html",
                    PageStanding::kAsk, "The page at http://desk.example:8080 wants to install Quadrel.ocx. Allow?",
                    "http://desk.example:8080 주소의 페이지에서 다음 작업을 하려고 합니다: Quadrel.ocx 설치. 허용하시겠습니까?"},
        StandingRow{"DefaultPortIsNotNamed", nullptr, "https://user@Desk.Example:443/diagnose.html", PageStanding::kAsk,
                    "The page at https://desk.example wants to install Quadrel.ocx. Allow?", nullptr},
        StandingRow{"PageWithoutAnAddressIsRefused", nullptr, "", PageStanding::kRefused, nullptr, nullptr},
        StandingRow{"AboutBlankIsRefused", nullptr, "about:blank", PageStanding::kRefused, nullptr, nullptr},
        StandingRow{"LocalPageIsRefused", nullptr, "file:///C:/Desk/diagnose.html", PageStanding::kRefused, nullptr,
                    nullptr},
        StandingRow{"LocalPageInAnAllowedFolderIsVouchedFor", "file:///C:/Desk/", "file:///C:/Desk/diagnose.html",
                    PageStanding::kVouched, nullptr, nullptr},
        StandingRow{"AllowedOriginIsVouchedFor", "desk.example", "https://desk.example/diagnose.html",
                    PageStanding::kVouched, nullptr, nullptr},
        StandingRow{"NoEntryVouchesForAPageWithoutAnAddress", "desk.example; file:///C:/", "", PageStanding::kRefused,
                    nullptr, nullptr}),
    [](const ::testing::TestParamInfo<StandingRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
