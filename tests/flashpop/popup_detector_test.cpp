// The pop-up blocker switch and the toolbar list, on a sandboxed registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/result_codes.h"
#include "probes/popup_detector.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::RegistrySandbox;

// --- Pop-up blocker ---------------------------------------------------------------

enum class PopupMgr { kMissingKey, kMissingValue, kText };

struct PopupRow {
    const char* label;
    PopupMgr kind;
    const char* text;
    DWORD type;
    int expectedOn;
};
void PrintTo(const PopupRow& row, std::ostream* os) { *os << row.label; }

class PopupBlockerState : public ::testing::TestWithParam<PopupRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(PopupBlockerState, FollowsThePopupMgrValue) {
    const PopupRow& row = GetParam();
    if (row.kind != PopupMgr::kMissingKey) test::CreateKey(HKEY_CURRENT_USER, kNewWindowsKey);
    if (row.kind == PopupMgr::kText)
        test::SetString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, row.text, row.type);

    EXPECT_EQ(CPopupDetector().GetPopupBlockerState(), row.expectedOn);
    int on = -1;
    EXPECT_EQ(CVersionRetriever().CheckPopupBlocker(on), kOk);
    EXPECT_EQ(on, row.expectedOn);
}

INSTANTIATE_TEST_SUITE_P(
    PopupMgrValues, PopupBlockerState,
    ::testing::Values(PopupRow{"No", PopupMgr::kText, "No", REG_SZ, 0},
                      PopupRow{"no", PopupMgr::kText, "no", REG_SZ, 0},
                      PopupRow{"yes", PopupMgr::kText, "yes", REG_SZ, 1},
                      PopupRow{"Empty", PopupMgr::kText, "", REG_SZ, 0},
                      PopupRow{"OtherWord", PopupMgr::kText, "off", REG_SZ, 1},
                      PopupRow{"ExpandableNo", PopupMgr::kText, "NO", REG_EXPAND_SZ, 0},
                      PopupRow{"MissingValue", PopupMgr::kMissingValue, "", REG_SZ, 1},
                      PopupRow{"MissingKey", PopupMgr::kMissingKey, "", REG_SZ, 1}),
    [](const ::testing::TestParamInfo<PopupRow>& info) { return std::string(info.param.label); });

TEST(PopupBlocker, TurningItOffWritesNoAndLeavesItOff) {
    RegistrySandbox sandbox;
    test::SetString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, "yes");
    ASSERT_EQ(CPopupDetector().GetPopupBlockerState(), 1);

    EXPECT_EQ(CVersionRetriever().TurnOffPopupBlocker(), kOk);

    std::string value;
    DWORD type = 0;
    ASSERT_TRUE(test::ReadString(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue, value, &type));
    EXPECT_EQ(value, "no");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(CPopupDetector().GetPopupBlockerState(), 0);
}

TEST(PopupBlocker, TurningItOffAddsTheMissingValue) {
    RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, kNewWindowsKey);
    CPopupDetector().TurnOffPopupBlocker();
    EXPECT_TRUE(test::ValuePresent(HKEY_CURRENT_USER, kNewWindowsKey, kPopupMgrValue));
    EXPECT_EQ(CPopupDetector().GetPopupBlockerState(), 0);
}

TEST(PopupBlocker, TurningItOffCreatesNoKeyAndSaysSo) {
    RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer");
    EXPECT_EQ(CVersionRetriever().TurnOffPopupBlocker(), kRegistryOpenFailed);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kNewWindowsKey));
    EXPECT_EQ(CPopupDetector().GetPopupBlockerState(), 1);
}

// --- Toolbars -----------------------------------------------------------------------

constexpr char kSearchClsid[] = "{0A1B2C3D-0000-4000-8000-000000000001}";
constexpr char kNoCompanyClsid[] = "{0A1B2C3D-0000-4000-8000-000000000002}";
constexpr char kPlainClsid[] = "{0A1B2C3D-0000-4000-8000-000000000003}";

class Toolbars : public ::testing::Test {
protected:
    // A toolbar value under the Toolbar key whose class names server as its in-process file.
    void AddToolbar(const std::string& clsid, const std::string& server) {
        test::SetString(HKEY_LOCAL_MACHINE, kToolbarKey, clsid, "");
        test::SetString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", server);
    }
    static std::string Server(const std::string& file) { return test::TestBinFolder() + "\\" + file; }

    RegistrySandbox sandbox_;
};

TEST_F(Toolbars, OnlyServersWithVersionResourcesBecomeEntries) {
    AddToolbar(kSearchClsid, Server("toolbar_search.dll"));
    AddToolbar(kNoCompanyClsid, Server("toolbar_nocompany.dll"));
    AddToolbar(kPlainClsid, Server("toolbar_plain.dll"));
    ASSERT_TRUE(test::FileExists(Server("toolbar_plain.dll")));

    CPopupDetector detector;
    ASSERT_EQ(detector.EnumerateToolbars(), 2);
    ASSERT_NE(detector.GetToolbar(0), nullptr);
    EXPECT_EQ(detector.GetToolbar(0)->path, Server("toolbar_search.dll"));
    EXPECT_EQ(detector.GetToolbar(0)->company, "Orvane Toolbar Works");
    EXPECT_EQ(detector.GetToolbar(0)->description, "Orvane Search Toolbar");
    ASSERT_NE(detector.GetToolbar(1), nullptr);
    EXPECT_EQ(detector.GetToolbar(1)->path, Server("toolbar_nocompany.dll"));
    EXPECT_EQ(detector.GetToolbar(1)->company, "");
    EXPECT_EQ(detector.GetToolbar(1)->description, "Nameless Popup Stopper");
    EXPECT_EQ(detector.GetToolbar(2), nullptr);
    EXPECT_EQ(detector.GetToolbar(-1), nullptr);
}

TEST_F(Toolbars, TextHasOneEscapedLinePerEntry) {
    AddToolbar(kSearchClsid, Server("toolbar_search.dll"));
    AddToolbar(kNoCompanyClsid, Server("toolbar_nocompany.dll"));
    AddToolbar(kPlainClsid, Server("toolbar_plain.dll"));

    std::string text = "unchanged";
    EXPECT_EQ(CVersionRetriever().GetToolbarListText(text), kOk);
    std::string expected = "1: " + Server("toolbar_search.dll") +
                           " // Orvane Toolbar Works // Orvane Search Toolbar%0A%0D"
                           "2: " +
                           Server("toolbar_nocompany.dll") + " //  // Nameless Popup Stopper%0A%0D";
    EXPECT_TRUE(text == expected) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(Toolbars, ValueNameThatIsNoClassIdentifierGivesNoEntry) {
    test::SetDword(HKEY_LOCAL_MACHINE, kToolbarKey, "Locked", 1);
    test::SetString(HKEY_LOCAL_MACHINE, kToolbarKey, "%s%s%n", "");
    AddToolbar(kSearchClsid, Server("toolbar_search.dll"));

    CPopupDetector detector;
    EXPECT_EQ(detector.EnumerateToolbars(), 1);
    EXPECT_EQ(detector.GetToolbar(0)->path, Server("toolbar_search.dll"));
}

TEST_F(Toolbars, ServerThatIsMissingOrUnnamedGivesNoEntry) {
    AddToolbar(kSearchClsid, Server("no_such_toolbar.dll"));
    AddToolbar(kNoCompanyClsid, "");
    test::SetString(HKEY_LOCAL_MACHINE, kToolbarKey, kPlainClsid, "");  // no class key at all
    EXPECT_EQ(CPopupDetector().EnumerateToolbars(), 0);
}

TEST_F(Toolbars, MissingToolbarKeyGivesAnEmptyListAndText) {
    CPopupDetector detector;
    EXPECT_EQ(detector.EnumerateToolbars(), 0);
    std::string text = "unchanged";
    EXPECT_EQ(CVersionRetriever().GetToolbarListText(text), kOk);
    EXPECT_EQ(text, "");
}

TEST_F(Toolbars, EveryEnumerationStartsAfresh) {
    AddToolbar(kSearchClsid, Server("toolbar_search.dll"));
    CPopupDetector detector;
    EXPECT_EQ(detector.EnumerateToolbars(), 1);
    EXPECT_EQ(detector.EnumerateToolbars(), 1);
    test::DeleteTree(HKEY_LOCAL_MACHINE, kToolbarKey);
    EXPECT_EQ(detector.EnumerateToolbars(), 0);
    EXPECT_EQ(detector.GetToolbar(0), nullptr);
}

}  // namespace
}  // namespace omni
