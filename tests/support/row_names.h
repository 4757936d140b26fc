// Names for the rows of a parameterised table that a text tells apart (an address, a file name, a
// version): its letters and digits, every run of other characters one "_", then "row" and the row's
// position, since two texts may differ only in what is dropped ("http://desk.example" and
// "http://desk.example:" are http_desk_example_row3 and http_desk_example_row4).
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace omni::test {

std::string RowName(const std::string& text, size_t index);

// The name generator of a table whose rows are told apart by one text member: NamedBy<&Row::url>().
// A null text is named "None".
template <auto Member>
struct NamedBy {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return RowName(Text(info.param.*Member), info.index);
    }
    static std::string Text(const std::string& text) { return text; }
    static std::string Text(const char* text) { return text ? text : "None"; }
};

}  // namespace omni::test
