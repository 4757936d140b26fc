// Which names from a page may reach the file system.
#include <gtest/gtest.h>

#include <string>

#include "machine/plain_file_name.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

struct NameRow {
    const char* name;
    bool plain;
};
void PrintTo(const NameRow& row, std::ostream* os) { *os << '"' << row.name << '"'; }

class PlainFileName : public ::testing::TestWithParam<NameRow> {};

TEST_P(PlainFileName, AcceptsOnlyABareFileName) { EXPECT_EQ(IsPlainFileName(GetParam().name), GetParam().plain); }

INSTANTIATE_TEST_SUITE_P(
    Names, PlainFileName,
    ::testing::Values(NameRow{"Quadrel.ocx", true}, NameRow{"Setup Tool.exe", true}, NameRow{"a..b.ocx", false},
                      NameRow{"OrvaneText.dll", true}, NameRow{"console.exe", true}, NameRow{"COM10.ocx", true},
                      NameRow{"..\\..\\x.dll", false}, NameRow{"C:\\x.ocx", false}, NameRow{"C:x.ocx", false},
                      NameRow{"a/b.ocx", false}, NameRow{"\\\\server\\share\\x.ocx", false}, NameRow{"..", false},
                      NameRow{"CON", false}, NameRow{"con.ocx", false}, NameRow{"NUL", false}, NameRow{"COM1", false},
                      NameRow{"lpt9.dll", false}, NameRow{"CON .txt", false}, NameRow{"x.ocx.", false},
                      NameRow{"x.ocx ", false}, NameRow{"", false}, NameRow{"x?.ocx", false},
                      NameRow{"x.ocx:stream", false}, NameRow{"x\ty.ocx", false}, NameRow{"COM\xC2\xB9", false},
                      NameRow{"com\xC2\xB2.ocx", false}, NameRow{"LPT\xC2\xB3.dll", false},
                      NameRow{"lpt\xC2\xB9", false}, NameRow{"COM\xC2\xB9\xC2\xB9.ocx", true},
                      NameRow{"COM\xC2\xBC.ocx", true}),
    test::NamedBy<&NameRow::name>());

}  // namespace
}  // namespace omni
