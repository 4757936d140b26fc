#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fixtures/standin_control/standin_ids.h"
#include "platform/text.h"
#include "tests/hosting/standin_server.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

struct StandinFile {
    const char* folder;
    const char* fileName;
    const char* version;
};
void PrintTo(const StandinFile& row, std::ostream* os) { *os << row.fileName << " " << row.version; }

struct VersionResource {
    bool present = false;
    std::string fixed;  // from the fixed part, "a.b.c.d"
    std::string company;
    std::string selfRegister;  // "yes" when the OLESelfRegister string exists
};

VersionResource ReadVersionResource(const std::string& path) {
    VersionResource result;
    std::wstring wide = Widen(path);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &handle);
    if (size == 0) return result;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(wide.c_str(), 0, size, block.data())) return result;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return result;
    result.present = true;
    const unsigned ms = fixed->dwFileVersionMS, ls = fixed->dwFileVersionLS;
    result.fixed = Format("%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
    wchar_t* text = nullptr;
    if (VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\CompanyName", reinterpret_cast<void**>(&text),
                       &length) &&
        text)
        result.company = Narrow(text);
    if (VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\OLESelfRegister", reinterpret_cast<void**>(&text),
                       &length))
        result.selfRegister = "yes";
    return result;
}

class StandinFileTest : public ::testing::TestWithParam<StandinFile> {};

TEST_P(StandinFileTest, CarriesItsVersionTheMakersNameAndTheSelfRegistrationMark) {
    const StandinFile& file = GetParam();
    VersionResource resource = ReadVersionResource(test::StandinPath(file.folder, file.fileName));
    ASSERT_TRUE(resource.present) << file.folder << "\\" << file.fileName;
    EXPECT_EQ(resource.fixed, file.version);
    EXPECT_EQ(resource.company, "Orvane");
    EXPECT_EQ(resource.selfRegister, "yes");
}

INSTANTIATE_TEST_SUITE_P(BuiltStandins, StandinFileTest,
                         ::testing::Values(StandinFile{standin::kFolder, "Marklet2.ocx", "1.0.0.5"},
                                           StandinFile{standin::kFolder, "Marklet3Outer.ocx", "1.0.0.5"},
                                           StandinFile{standin::kFolder, "Marklet3Inner.ocx", "1.0.0.5"},
                                           StandinFile{standin::kFolder, "Quadrel.ocx", "1.0.0.5"},
                                           StandinFile{standin::kFolder, "QuadrelU.ocx", "1.0.0.5"},
                                           StandinFile{standin::kOldFolder, "Quadrel.ocx", "1.0.0.4"}),
                         [](const ::testing::TestParamInfo<StandinFile>& info) {
                             return test::RowName(std::string(info.param.fileName) + " " + info.param.version, info.index);
                         });

}  // namespace
}  // namespace omni
