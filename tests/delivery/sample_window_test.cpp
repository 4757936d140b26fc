// Which sample page ShowSampleContent opens in web mode, and the window size for the system.
#include <gtest/gtest.h>

#include <string>

#include "control/sample_content.h"

namespace omni::test {
namespace {

struct WindowRow {
    const char* name;
    int osCode;
    long zentraVersion;
    const char* url;
    int width, height;
};
void PrintTo(const WindowRow& row, std::ostream* os) { *os << row.name; }

class SamplePage : public ::testing::TestWithParam<WindowRow> {};

TEST_P(SamplePage, OpensTheGenerationsPageInTheSystemsSize) {
    const WindowRow& row = GetParam();
    BrowserWindowRequest request = SamplePageWindow(row.osCode, row.zentraVersion, "z4", "z3");
    EXPECT_EQ(request.url, row.url);
    EXPECT_EQ(request.width, row.width);
    EXPECT_EQ(request.height, row.height);
    EXPECT_FALSE(request.post);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, SamplePage,
    ::testing::Values(WindowRow{"Z4OnVista", 23, 4, "z4", 1035, 640}, WindowRow{"Z3OnWindows7", 30, 3, "z3", 1045, 764},
                      WindowRow{"OtherOnVista", 23, 7, "z3", 1045, 764}, WindowRow{"Z4OnXp", 18, 4, "z4", 1045, 650},
                      WindowRow{"Z3OnXp", 18, 3, "z3", 1045, 764}, WindowRow{"OtherOnXp", 18, 0, "z3", 1045, 764}),
    [](const ::testing::TestParamInfo<WindowRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
