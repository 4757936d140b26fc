// What a row of a rule table promises, and the comparison of a graded item against it.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "machine/folder_mng.h"
#include "diagnosis/diagnosis_item.h"
#include "tests/support/fake_diagnosis_probes.h"

namespace omni::test {

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
    if (e.inner) return FormatMessageWith(e.result, LoadMessage(e.inner));
    if (e.with) return FormatMessageWith(e.result, e.with);
    return LoadMessage(e.result);
}

inline void ExpectItem(const DiagnosisItem& item, const ExpectedItem& e) {
    EXPECT_EQ(item.colour, e.colour);
    EXPECT_EQ(item.resultMsg, ExpectedResult(e));
    EXPECT_FALSE(item.resultMsg.empty());
    EXPECT_EQ(item.solutionMsg, e.solution ? LoadMessage(e.solution) : std::string());
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
