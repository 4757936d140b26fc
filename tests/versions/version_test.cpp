#include "core/version.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>

namespace omni {
namespace {

struct ParseRow {
    std::string text;
    int major, minor, build, revision;
};

void PrintTo(const ParseRow& row, std::ostream* out) { *out << '"' << row.text << '"'; }

class VersionParsing : public ::testing::TestWithParam<ParseRow> {};

TEST_P(VersionParsing, GivesTheFourPartsOfItsRowAndKeepsTheText) {
    const ParseRow& row = GetParam();
    Version version(row.text);
    EXPECT_EQ(version.major, row.major);
    EXPECT_EQ(version.minor, row.minor);
    EXPECT_EQ(version.build, row.build);
    EXPECT_EQ(version.revision, row.revision);
    EXPECT_EQ(version.GetText(), row.text);

    Version assigned("1.2.3.4");
    assigned = row.text;
    EXPECT_EQ(assigned.major, row.major);
    EXPECT_EQ(assigned.minor, row.minor);
    EXPECT_EQ(assigned.build, row.build);
    EXPECT_EQ(assigned.revision, row.revision);
    EXPECT_EQ(assigned.GetText(), row.text);
}

INSTANTIATE_TEST_SUITE_P(Version, VersionParsing,
                         ::testing::Values(ParseRow{"8.0.6001.18702", 8, 0, 6001, 18702},
                                           ParseRow{"11", 11, 0, 0, 0},
                                           ParseRow{"9.10", 9, 10, 0, 0},
                                           ParseRow{"1..2", 1, 0, 2, 0},
                                           ParseRow{"", 0, 0, 0, 0},
                                           ParseRow{"7.0 beta", 0, 0, 0, 0},
                                           ParseRow{"1.2.3.4.5", 1, 2, 3, 4},
                                           ParseRow{"1.2.3.4.9", 1, 2, 3, 4},
                                           ParseRow{"6.0.2900.5512", 6, 0, 2900, 5512},
                                           ParseRow{"7,0,0,0", 0, 0, 0, 0},
                                           ParseRow{"7.0a", 0, 0, 0, 0},
                                           ParseRow{"7", 7, 0, 0, 0},
                                           ParseRow{"-1.0", 0, 0, 0, 0},
                                           ParseRow{"0.0.0.0", 0, 0, 0, 0},
                                           ParseRow{"9.11.9600.17031", 9, 11, 9600, 17031},
                                           ParseRow{"4294967297", 1, 0, 0, 0}),  // wraps, never traps
                         test::NamedBy<&ParseRow::text>());

struct CompareRow {
    std::string left, right;
    bool less, greaterOrEqual;
};

void PrintTo(const CompareRow& row, std::ostream* out) { *out << row.left << " vs " << row.right; }

class VersionComparison : public ::testing::TestWithParam<CompareRow> {};

TEST_P(VersionComparison, AnswersLessAndGreaterOrEqualOfItsRow) {
    const CompareRow& row = GetParam();
    EXPECT_EQ(Version(row.left) < Version(row.right), row.less);
    EXPECT_EQ(Version(row.left) >= Version(row.right), row.greaterOrEqual);
}

INSTANTIATE_TEST_SUITE_P(Version, VersionComparison,
                         ::testing::Values(CompareRow{"9.10.0.0", "9.9.9999.0", false, true},
                                           CompareRow{"9.9.9999.0", "9.10.0.0", true, false},
                                           CompareRow{"9.10.0.0", "9.0.0.0", false, true},
                                           CompareRow{"10.0.0.0", "9.11.0.0", false, true},
                                           CompareRow{"9.11.0.0", "10.0.0.0", true, false},
                                           CompareRow{"9.10.0.0", "9.9.0.0", false, true},
                                           CompareRow{"9.10.0.0", "9.10.0.0", false, true},
                                           CompareRow{"6.0.2900.5512", "6.0.0.0", false, true},
                                           CompareRow{"1.2.3.4.9", "1.2.3.4", false, true},
                                           CompareRow{"1.2.3.4", "1.2.3.4.9", false, true},
                                           CompareRow{"1.2.3.4", "1.2.3.5", true, false},
                                           CompareRow{"1.2.4", "1.2.3.9999", false, true},
                                           CompareRow{"7.0 beta", "0.0.0.0", false, true},
                                           CompareRow{"", "0.0.0.1", true, false},
                                           CompareRow{"2147483648", "1", true, false}),  // signed parts
                         [](const ::testing::TestParamInfo<CompareRow>& info) {
                             return test::RowName(info.param.left + " vs " + info.param.right, info.index);
                         });

TEST(Version, DefaultIsEmptyTextAndZeros) {
    Version version;
    EXPECT_EQ(version.GetText(), "");
    EXPECT_EQ(version.major + version.minor + version.build + version.revision, 0);
    EXPECT_TRUE(version >= Version("0.0.0.0"));
    EXPECT_FALSE(version < Version("0.0.0.0"));
}

TEST(Version, CopyTakesTheNumbersAndTheText) {
    Version original("7.0 beta");
    original.build = 5;  // a copy carries fields as they are, not as re-parsed
    Version copy(original);
    EXPECT_EQ(copy.GetText(), "7.0 beta");
    EXPECT_EQ(copy.build, 5);
    Version assigned;
    assigned = original;
    EXPECT_EQ(assigned.GetText(), "7.0 beta");
    EXPECT_EQ(assigned.build, 5);
}

}  // namespace
}  // namespace omni
