// The one rule for every address that the control fetches from, posts to or opens: http or https.
#include <gtest/gtest.h>

#include <string>

#include "core/web_address.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

struct AddressRow {
    const char* url;
    bool web;
};
void PrintTo(const AddressRow& row, std::ostream* os) { *os << '"' << row.url << '"'; }

class WebAddress : public ::testing::TestWithParam<AddressRow> {};

TEST_P(WebAddress, IsOnlyHttpOrHttpsWithAHost) { EXPECT_EQ(IsWebAddress(GetParam().url), GetParam().web); }

INSTANTIATE_TEST_SUITE_P(
    Addresses, WebAddress,
    ::testing::Values(AddressRow{"http://desk.example/support/", true},
                      AddressRow{"HTTPS://desk.example/", true},
                      AddressRow{"https://127.0.0.1:8443/post.asp?x=1", true},
                      AddressRow{"http://user@desk.example/", true},
                      // Local files, network shares (which send the user's credentials), resources, script.
                      AddressRow{"file:///C:/windows/win.ini", false},
                      AddressRow{"\\\\desk.example\\share\\page.htm", false},
                      AddressRow{"//desk.example/share/page.htm", false},
                      AddressRow{"res://ieframe.dll/navcancl.htm", false},
                      AddressRow{"javascript:alert(1)", false},
                      AddressRow{"vbscript:msgbox(1)", false},
                      AddressRow{"about:blank", false},
                      AddressRow{"ftp://desk.example/", false},
                      AddressRow{"mailto:help@example.com", false},
                      // Nothing is trimmed or repaired, and a host must follow the scheme.
                      AddressRow{" http://desk.example/", false},
                      AddressRow{"http:desk.example", false},
                      AddressRow{"http:\\\\desk.example\\", false},
                      AddressRow{"http://", false},
                      AddressRow{"http:///etc/passwd", false},
                      AddressRow{"http://\\\\desk.example\\share", false},
                      AddressRow{"http://?x", false},
                      AddressRow{"http://desk.example/\r\nX-Injected: 1", false},
                      AddressRow{"http://desk.example/\t", false},
                      AddressRow{"", false}),
    test::NamedBy<&AddressRow::url>());

}  // namespace
}  // namespace omni
