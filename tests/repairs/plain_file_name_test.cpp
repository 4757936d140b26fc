// Which names from a page may reach the file system, and so the consent question: no path, device or
// forbidden character, and nothing that could make text after the name read as the question's own
// (non-ASCII blanks, format and control characters, bytes that are not UTF-8).
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
void PrintTo(const NameRow& row, std::ostream* os) {
    *os << '"';
    for (unsigned char c : std::string(row.name))
        if (c < 0x20 || c >= 0x7F) *os << "\\x" << std::hex << int(c) << std::dec;
        else *os << c;
    *os << '"';
}

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
                      NameRow{"COM\xC2\xBC.ocx", true},
                      // Words of the page behind a no-break space (U+00A0), an ideographic space (U+3000),
                      // a zero-width space (U+200B), a right-to-left override (U+202E), a byte order mark
                      // (U+FEFF), a soft hyphen (U+00AD), a line separator (U+2028), DEL and a C1 control.
                      NameRow{"Quadrel.ocx\xC2\xA0(signed by Talvek, already approved by your administrator)", false},
                      NameRow{"Quadrel.ocx\xE3\x80\x80x", false}, NameRow{"Quadrel\xE2\x80\x8B.ocx", false},
                      NameRow{"Quadrel\xE2\x80\xAE" "cxo.exe", false}, NameRow{"\xEF\xBB\xBFQuadrel.ocx", false},
                      NameRow{"Quad\xC2\xADrel.ocx", false}, NameRow{"Quadrel.ocx\xE2\x80\xA8x", false},
                      NameRow{"Quadrel\x7F.ocx", false}, NameRow{"Quadrel\xC2\x85.ocx", false},
                      NameRow{"Quadrel\xF3\xA0\x80\x81.ocx", false},  // U+E0001, a language tag
                      // Not UTF-8: a stray byte, a sequence cut short, an overlong "/", a surrogate.
                      NameRow{"Quadrel\xA0.ocx", false}, NameRow{"Quadrel.oc\xE2\x80", false},
                      NameRow{"a\xC0\xAF" "b.ocx", false}, NameRow{"a\xED\xA0\x80.ocx", false},
                      // Letters of other scripts and the plain blank stay.
                      NameRow{"\xED\x95\x9C\xEA\xB8\x80 Setup.exe", true}, NameRow{"Qu\xC3\xA4" "drel.ocx", true},
                      NameRow{"Quadrel \xF0\x9F\x98\x80.ocx", true}),
    test::NamedBy<&NameRow::name>());

}  // namespace
}  // namespace omni
