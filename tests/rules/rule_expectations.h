// What a row of a rule table promises, and the comparison of a graded item against it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "machine/folder_mng.h"
#include "diagnosis/diagnosis_item.h"
#include "platform/text.h"
#include "tests/support/fake_diagnosis_probes.h"

namespace omni::test {

// The catalogue entries that the rule tables name, in English as the report shows them. The tables name
// entries, but compare with these texts: a text moved to another entry in the resource files fails.
inline std::string English(UINT id) {
    static const std::map<UINT, const char*> texts = {
        {108, "Proper environment to watch Talvek contents"},
        {109, "Normal - version(%s)"},
        {111, "Newer version is available"},
        {113, "Newer version is available - version(%s)"},
        {114, "ActiveX is not installed"},
        {115, "DLL is not found"},
        {116, "Add-on Disabled on IE Add-ons manager"},
        {119, "Low Windows version "},
        {122, "Install ActiveX"},
        {123, "Upgrade ActiveX"},
        {124, "Install Program"},
        {126, "Modify Security Settings"},
        {127, "Modify Settings"},
        {130, "Windows 98 SE or higher version is needed"},
        {131, "ActiveX is not activated"},
        {142, "Not properly installed"},
        {144, "Normal (not relevant)"},
        {145, "Normal (%s)"},
        {146, "Always allow"},
        {147, "Always ask"},
        {148, "Always deny"},
        {149, "Settings modification needed ( for now : %s )"},
        {150, "Error occurred reading setting values"},
        {151, "Pop-up blocker is turned on"},
        {152, "Normal"},
        {153, "Settings modification needed ( for now : %s )"},
        {154, "Media sound could be played slower, registry should be edited"},
        {234, "Open download page in new window"},
        {238, "Install WMP9"},
        {246, "Install DLL"},
        {249, "Flash Player is not installed"},
        {251, "Activate ActiveX"},
        {260, "Normal"},
        {261, "IE Internet Options should be changed to watch contents containing video slides"},
        {262, "Modify Settings"},
        {264, "Install WMP10"},
        {265, "Windows Media Player should be installed"},
        {270, "To watch contents, Windows Media Player 7 or higher version of Microsoft should be installed. Visit "
              "Microsoft website (http://www.microsoft.com) and install latest version of Windows Media Player."},
        {271, "To watch contents, Flash Player 7 or higher version of Adobe should be installed. Visit Adobe "
              "website(http://www.adobe.com) and install latest version of Flash Player."},
        {272, "Open Microsoft website"},
        {273, "Open Adobe website"},
        {275, "WMP setting need to be modified since you might not be able to watch remote media contents"},
        {277, "Settings modification is needed since the media Seek could be not accurate"},
        {279, "Normal"},
        {280, "The internet option should be changed to watch pen tool writings."},
        {281, "Modify Settings"},
        {282, "The Internet option should be changed, Marklet add-ons might not work properly with 64bit tab."},
        {283, "Normal"},
        {284, "Modify Settings"},
    };
    auto text = texts.find(id);
    if (text == texts.end()) {
        ADD_FAILURE() << "entry " << id << " has no English text in the rule tests";
        return "";
    }
    return text->second;
}

// A result message is entry `result`, formatted with entry `inner` or with `with` when given.
struct ExpectedItem {
    const char* colour;
    UINT result;
    UINT inner;
    const char* with;
    UINT solution;
    const char* type;
    const char* value;
    const char* param;
};

inline std::string ExpectedResult(const ExpectedItem& e) {
    if (e.inner) return Format(English(e.result).c_str(), English(e.inner).c_str());
    if (e.with) return Format(English(e.result).c_str(), e.with);
    return English(e.result);
}

inline void ExpectItem(const DiagnosisItem& item, const ExpectedItem& e) {
    EXPECT_EQ(item.colour, e.colour);
    EXPECT_EQ(item.resultMsg, ExpectedResult(e));
    EXPECT_FALSE(item.resultMsg.empty());
    EXPECT_EQ(item.solutionMsg, e.solution ? English(e.solution) : std::string());
    EXPECT_EQ(item.solutionType, e.type);
    EXPECT_EQ(item.solutionValue, e.value);
    EXPECT_EQ(item.solutionParam, e.param);
}

// English texts, and the install mode of the row, for the length of one test.
class RuleTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        savedLanguage_ = GetCatalogLanguage();
        savedMode_ = GetFolderMng().GetInstallMode();
        SetCatalogLanguage(kLangEnglish);
    }
    void TearDown() override {
        SetCatalogLanguage(savedLanguage_);
        GetFolderMng().SetInstallMode(savedMode_);
    }

    FakeGradingProbes probes_;

private:
    LANGID savedLanguage_ = kLangKorean;
    int savedMode_ = 0;
};

}  // namespace omni::test
