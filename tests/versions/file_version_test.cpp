#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/result_codes.h"
#include "platform/text.h"
#include "probes/file_version_info.h"
#include "probes/version_retriever.h"
#include "tests/support/row_names.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::TestBinFolder;

std::string Fixture(const std::string& name) { return TestBinFolder() + "\\" + name; }

struct FileVersionRow {
    std::string file;
    int status;
    std::string text;
};

void PrintTo(const FileVersionRow& row, std::ostream* out) { *out << row.file; }

class RetrieveFileVersionTable : public ::testing::TestWithParam<FileVersionRow> {};

TEST_P(RetrieveFileVersionTable, AnswersTheFileVersionOrNothing) {
    const FileVersionRow& row = GetParam();
    Version version("5.5.5.5");
    EXPECT_EQ(CVersionRetriever().RetrieveFileVersion(Fixture(row.file), version), row.status);
    EXPECT_EQ(version.GetText(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    VersionedFiles, RetrieveFileVersionTable,
    ::testing::Values(FileVersionRow{"ver_6_0_2900_5512.dll", kOk, "6.0.2900.5512"},  // not the product version
                      FileVersionRow{"wmplayer_standin.exe", kOk, "12.0.7601.17514"},
                      FileVersionRow{"mplayer2_standin.exe", kOk, "6.4.9.1133"},
                      FileVersionRow{"noversion.dll", kFileMissing, "0.0.0.0"},
                      FileVersionRow{"no_such_file.dll", kFileMissing, "0.0.0.0"}),
    test::NamedBy<&FileVersionRow::file>());

TEST(RetrieveFileVersion, DoesNotLookUpANameWithoutABackslash) {
    // Even from the folder that holds the file, a bare name is not searched for.
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(Widen(TestBinFolder()).c_str());
    Version version("5.5.5.5");
    int status = CVersionRetriever().RetrieveFileVersion("ver_6_0_2900_5512.dll", version);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(status, kFileMissing);
    EXPECT_EQ(version.GetText(), "0.0.0.0");
}

// Every name of the string table, looked up in the first translation (Korean, Unicode).
struct StringRow {
    int index;
    std::string text;
};

void PrintTo(const StringRow& row, std::ostream* out) { *out << "index " << row.index; }

class FileVersionStrings : public ::testing::TestWithParam<StringRow> {};

TEST_P(FileVersionStrings, AnswerTheStringNamedByTheIndex) {
    CFileVersionInfo info;
    ASSERT_TRUE(info.Open(Fixture("ver_6_0_2900_5512.dll")));
    EXPECT_EQ(info.GetString(GetParam().index), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(CFileVersionInfo, FileVersionStrings,
                         ::testing::Values(StringRow{0, "Orvane Test Company"},
                                           StringRow{1, "Orvane versioned test library"},
                                           StringRow{2, "6.0.2900.5512"},
                                           StringRow{3, "ver_6_0_2900_5512"},
                                           StringRow{4, "Copyright (C) Orvane Test Company"},
                                           StringRow{5, "ver_6_0_2900_5512.dll"},
                                           StringRow{6, "Orvane Test Product"},
                                           StringRow{7, "6.1.7601.17514"},
                                           StringRow{8, "Built for the file version tests"},
                                           StringRow{9, "Orvane"},
                                           StringRow{10, "private-7"},
                                           StringRow{11, "special-9"},
                                           StringRow{12, ""},
                                           StringRow{-1, ""}),
                         [](const ::testing::TestParamInfo<StringRow>& info) {
                             return info.param.index < 0 ? std::string("BeforeTheFirst") : "String" + std::to_string(info.param.index);
                         });

TEST(CFileVersionInfo, KeepsTheFirstTranslationAndTheFixedBlock) {
    CFileVersionInfo info;
    ASSERT_TRUE(info.Open(Fixture("ver_6_0_2900_5512.dll")));
    EXPECT_TRUE(info.IsOpen());
    EXPECT_EQ(info.language(), 0x0412);
    EXPECT_EQ(info.codePage(), 0x04b0);
    EXPECT_EQ(info.fixed().dwFileVersionMS, 0x00060000u);
    EXPECT_EQ(info.fixed().dwFileVersionLS, (2900u << 16) | 5512u);
    EXPECT_EQ(info.GetCompanyName(), "Orvane Test Company");
    EXPECT_EQ(info.GetFileDescription(), "Orvane versioned test library");
}

TEST(CFileVersionInfo, AnswersEmptyTextWhenNotOpen) {
    CFileVersionInfo info;
    EXPECT_EQ(info.GetString(0), "");
    EXPECT_EQ(info.GetCompanyName(), "");
}

TEST(CFileVersionInfo, FailsForAFileWithoutVersionAndHoldsNothing) {
    CFileVersionInfo info;
    ASSERT_TRUE(info.Open(Fixture("ver_6_0_2900_5512.dll")));
    EXPECT_FALSE(info.Open(Fixture("noversion.dll")));
    EXPECT_FALSE(info.IsOpen());
    EXPECT_EQ(info.GetCompanyName(), "") << "nothing of the earlier file is left";
    EXPECT_FALSE(info.Open(Fixture("no_such_file.dll")));
}

TEST(CFileVersionInfo, CloseDropsTheStrings) {
    CFileVersionInfo info;
    ASSERT_TRUE(info.Open(Fixture("ver_6_0_2900_5512.dll")));
    info.Close();
    EXPECT_FALSE(info.IsOpen());
    EXPECT_EQ(info.GetString(0), "");
}

TEST(CFileVersionInfo, AnswersEmptyTextForAStringTheFileDoesNotCarry) {
    CFileVersionInfo info;
    ASSERT_TRUE(info.Open(Fixture("wmplayer_standin.exe")));
    EXPECT_EQ(info.language(), 0x0409);
    EXPECT_EQ(info.GetFileDescription(), "Media player stand-in");
    EXPECT_EQ(info.GetString(CFileVersionInfo::kComments), "");
}

}  // namespace
}  // namespace omni
