#include "core/message_catalog.h"

#include <gtest/gtest.h>

#include "resources/links.h"

namespace omni {
namespace {

class CatalogTest : public ::testing::Test {
protected:
    void TearDown() override { SetCatalogLanguage(kLangKorean); }
};

TEST_F(CatalogTest, LangRule_KorInAnyCaseIsKoreanEverythingElseEnglish) {
    EXPECT_EQ(LanguageFromLang("kor"), kLangKorean);
    EXPECT_EQ(LanguageFromLang("KOR"), kLangKorean);
    EXPECT_EQ(LanguageFromLang("kOr"), kLangKorean);
    EXPECT_EQ(LanguageFromLang(""), kLangEnglish);
    EXPECT_EQ(LanguageFromLang("eng"), kLangEnglish);
    EXPECT_EQ(LanguageFromLang("korean"), kLangEnglish);
    EXPECT_EQ(kLangEnglish, 1033);
    EXPECT_EQ(kLangKorean, 1042);
}

TEST_F(CatalogTest, Entry108_InBothLanguagesAsUtf8) {
    SetCatalogLanguage(LanguageFromLang("KOR"));
    EXPECT_EQ(LoadMessage(108), "시청에 적합한 환경입니다");
    SetCatalogLanguage(LanguageFromLang(""));
    EXPECT_EQ(LoadMessage(108), "Proper environment to watch Talvek contents");
}

TEST_F(CatalogTest, KeepsFinalBlanksAndEscapes) {
    SetCatalogLanguage(kLangKorean);
    EXPECT_EQ(LoadMessage(116), "IE 추가기능에서 '사용안함'으로 설정되어 있습니다. ");
    EXPECT_EQ(LoadMessage(122), "OCX 설치 ");
    SetCatalogLanguage(kLangEnglish);
    EXPECT_EQ(LoadMessage(119), "Low Windows version ");
    EXPECT_EQ(LoadMessage(117), "Global Security Settings for Flash is set as \"%s\"");
    EXPECT_EQ(LoadMessage(267).rfind("This feature is only available for administrator permission.\nTo use this", 0), 0u);
    EXPECT_NE(LoadMessage(239).find("%0A%0DSave"), std::string::npos);
}

TEST_F(CatalogTest, FormattingEntry149WithEntry147) {
    SetCatalogLanguage(kLangEnglish);
    EXPECT_EQ(FormatMessageWith(149, LoadMessage(147)), "Settings modification needed ( for now : Always ask )");
    EXPECT_EQ(FormatMessageWith(110, "6.0.2900.5512"), "Version(6.0.2900.5512)");
    SetCatalogLanguage(kLangKorean);
    EXPECT_EQ(FormatMessageWith(153, LoadMessage(147)), "설정 변경이 필요합니다(현재 설정값: 항상 묻기)");
    EXPECT_EQ(FormatMessageWith(149, LoadMessage(147)), "설정 변경이 필요합니다(현재 설정값:항상 묻기)");
}

TEST_F(CatalogTest, MissingIdentifierLeavesTargetUnchanged) {
    SetCatalogLanguage(kLangEnglish);
    std::string target = "kept";
    LoadMessage(9999, target);
    EXPECT_EQ(target, "kept");
    LoadMessage(106, target);  // 106 is in the same block as a gap (107 exists, 101 does not)
    EXPECT_EQ(target, "Windows Media Player (version 7.0 or higher)");
    target = "kept";
    LoadMessage(101, target);
    EXPECT_EQ(target, "kept");
    EXPECT_EQ(LoadMessage(0), "");
}

TEST_F(CatalogTest, ConfiguredAddressesAppearInBothLanguages) {
    for (LANGID language : {kLangEnglish, kLangKorean}) {
        SetCatalogLanguage(language);
        EXPECT_NE(LoadMessage(270).find(std::string("(") + OMNI_MEDIA_VENDOR_HOME + ")"), std::string::npos);
        EXPECT_NE(LoadMessage(271).find(std::string("(") + OMNI_FLASH_VENDOR_HOME + ")"), std::string::npos);
        EXPECT_EQ(LoadMessage(224), OMNI_SUPPORT_MAIL);
    }
}

TEST_F(CatalogTest, EveryIdentifierExistsInBothLanguages) {
    const UINT ids[] = {1,   2,   102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117,
                        118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135,
                        136, 137, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153,
                        154, 155, 156, 157, 200, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217, 218, 219,
                        220, 221, 222, 223, 224, 225, 226, 228, 229, 230, 231, 232, 233, 234, 235, 236, 237, 238,
                        239, 240, 241, 242, 243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255, 256,
                        257, 258, 259, 260, 261, 262, 263, 264, 265, 266, 267, 268, 269, 270, 271, 272, 273, 274,
                        275, 276, 277, 278, 279, 280, 281, 282, 283, 284, 285, 300, 301, 302, 307, 320,
                        321, 323, 324, 325, 326, 327, 328, 329, 330, 331};
    for (LANGID language : {kLangEnglish, kLangKorean}) {
        SetCatalogLanguage(language);
        for (UINT id : ids) EXPECT_FALSE(LoadMessage(id).empty()) << id << " in " << language;
    }
}

}  // namespace
}  // namespace omni
