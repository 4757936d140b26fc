// The mail link and the recipient rule as plain code: what reaches the mail program's command line.
#include <gtest/gtest.h>

#include <string>

#include "control/report_delivery.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

struct LinkRow {
    const char* address;
    const char* subject;
    const char* body;
    const char* link;
};
void PrintTo(const LinkRow& row, std::ostream* os) { *os << '"' << row.link << '"'; }

class MailLink : public ::testing::TestWithParam<LinkRow> {};

TEST_P(MailLink, PercentEncodesEveryPartSoNoQuoteOrBlankRemains) {
    EXPECT_EQ(MailtoLink(GetParam().address, GetParam().subject, GetParam().body), GetParam().link);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, MailLink,
    ::testing::Values(LinkRow{"help@example.com", "Result", "Text", "mailto:help@example.com?subject=Result&body=Text"},
                      LinkRow{"help@example.com", "a b", "say \"hi\"", "mailto:help@example.com?subject=a%20b&body=say%20%22hi%22"},
                      // The delimiters of the link and of the command line stay inside their part.
                      LinkRow{"help@example.com", "?&=#%", "a&body=b", "mailto:help@example.com?subject=%3F%26%3D%23%25&body=a%26body%3Db"},
                      LinkRow{"first.last+tag@example.com", "", "", "mailto:first.last%2Btag@example.com?subject=&body="},
                      LinkRow{"help@example.com", "", "1\r\n2", "mailto:help@example.com?subject=&body=1%0D%0A2"},
                      LinkRow{"help@example.com", "\xEC\x95\x88", "-._~", "mailto:help@example.com?subject=%EC%95%88&body=-._~"},
                      LinkRow{"", "s", "b", "mailto:?subject=s&body=b"}),
    test::NamedBy<&LinkRow::link>());

struct AddressRow {
    const char* address;
    bool plain;
};
void PrintTo(const AddressRow& row, std::ostream* os) { *os << '"' << row.address << '"'; }

class MailAddress : public ::testing::TestWithParam<AddressRow> {};

TEST_P(MailAddress, IsPlainWithOneAtAndNothingThatSplitsACommandLine) {
    EXPECT_EQ(IsPlainMailAddress(GetParam().address), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, MailAddress,
    ::testing::Values(AddressRow{"help@example.com", true},
                      AddressRow{"first.last+tag@desk.example.co.kr", true},
                      AddressRow{"\xEB\x8F\x84\xEC\x9B\x80@example.com", true},
                      AddressRow{"help@example.com\" /a \"C:\\windows\\win.ini", false},
                      AddressRow{"help @example.com", false},
                      AddressRow{"help@example.com\t", false},
                      AddressRow{"help@example.com\r\nbcc: x@evil.example", false},
                      AddressRow{"'help'@example.com", false},
                      AddressRow{"Help <help@example.com>", false},
                      AddressRow{"help@example.com,other@example.com", false},
                      AddressRow{"help@@example.com", false},
                      AddressRow{"helpexample.com", false},
                      AddressRow{"@example.com", false},
                      AddressRow{"help@", false},
                      AddressRow{"", false}),
    test::NamedBy<&AddressRow::address>());

struct BreakRow {
    const char* catalogue;
    const char* text;
};
void PrintTo(const BreakRow& row, std::ostream* os) { *os << '"' << row.catalogue << '"'; }

class CatalogueBody : public ::testing::TestWithParam<BreakRow> {};

TEST_P(CatalogueBody, MarksItsLineBreaksForTheLink) { EXPECT_EQ(CatalogueLineBreaks(GetParam().catalogue), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Texts, CatalogueBody,
                         ::testing::Values(BreakRow{"one%0A%0Dtwo%0A%0D---", "one\r\ntwo\r\n---"},
                                           BreakRow{"%0A%0D", "\r\n"},
                                           BreakRow{"100% sure %0A", "100% sure %0A"},
                                           BreakRow{"", ""}),
                         test::NamedBy<&BreakRow::catalogue>());

}  // namespace
}  // namespace omni
