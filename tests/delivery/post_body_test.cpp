// The body SendInformation posts, byte for byte: which bytes stay and which become %XX.
#include <gtest/gtest.h>

#include <string>

#include "control/post_body.h"

namespace omni::test {
namespace {

struct EncodingRow {
    const char* name;
    std::string value;  // UTF-8, as the control holds a script's string
    std::string encoded;
};
void PrintTo(const EncodingRow& row, std::ostream* os) { *os << row.name; }

class FormValue : public ::testing::TestWithParam<EncodingRow> {};

TEST_P(FormValue, EncodesEveryByteAsAServerDecodesIt) { EXPECT_EQ(EncodeFormValue(GetParam().value), GetParam().encoded); }

INSTANTIATE_TEST_SUITE_P(
    Bytes, FormValue,
    ::testing::Values(
        EncodingRow{"Empty", "", ""},
        EncodingRow{"LettersAndDigits", "Az09", "Az09"},
        // A server turns "+" into a blank and "%41" into "A": both must arrive as sent.
        EncodingRow{"PercentAndPlus", "100% C++ %41", "100%25%20C%2B%2B%20%2541"},
        EncodingRow{"FormDelimiters", "a=b&c d", "a%3Db%26c%20d"},
        EncodingRow{"UrlDelimiters", "#/;?@[\\]^`{|}~", "%23%2F%3B%3F%40%5B%5C%5D%5E%60%7B%7C%7D%7E"},
        EncodingRow{"KeptPunctuation", "!\"$'()*,-.:<>_", "!\"$'()*,-.:<>_"},
        EncodingRow{"ControlBytesAndDelete", std::string("\x00\x01\t\r\n\x1F\x7F", 7), "%00%01%09%0D%0A%1F%7F"},
        // "정상" in UTF-8: EC A0 95, EC 83 81.
        EncodingRow{"KoreanText", "\xEC\xA0\x95\xEC\x83\x81 1.0", "%EC%A0%95%EC%83%81%201.0"}),
    [](const ::testing::TestParamInfo<EncodingRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
