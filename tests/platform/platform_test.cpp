#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/module_path.h"
#include "platform/subkey_names.h"
#include "platform/text.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

TEST(Text, Utf8RoundTripsThroughUtf16) {
    const std::string korean = "시청환경 점검 도구";
    std::wstring wide = Widen(korean);
    EXPECT_EQ(wide.size(), 10u);
    EXPECT_EQ(wide[0], L'\xC2DC');
    EXPECT_EQ(Narrow(wide), korean);
    EXPECT_EQ(Widen(""), L"");
    EXPECT_EQ(Narrow(std::wstring()), "");
}

TEST(Text, FormatHandlesLongTextsAndPercentArguments) {
    std::string big(5000, 'x');
    EXPECT_EQ(Format("[%s]", big.c_str()).size(), 5002u);
    EXPECT_EQ(Format("%s (Build %d)\n", "Service Pack 1", 7601), "Service Pack 1 (Build 7601)\n");
    EXPECT_EQ(Format("%s", "100%"), "100%");
}

TEST(Text, EqualsNoCaseComparesAsciiLetters) {
    EXPECT_TRUE(EqualsNoCase("KoR", "kor"));
    EXPECT_FALSE(EqualsNoCase("kor", "korean"));
    EXPECT_FALSE(EqualsNoCase("a", "b"));
}

TEST(ModulePath, FolderOfTheRunningModuleHoldsTheTestProgram) {
    std::string folder = CurrentModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(test::FileExists(folder + "\\platform_tests.exe"));
    EXPECT_EQ(FolderOf("C:\\a\\b.ocx"), "C:\\a");
    EXPECT_EQ(FolderOf("b.ocx"), "");
}

TEST(Owners, HandleIsClosedOnceAndReleaseGivesItAway) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        unique_handle owner(raw);
        unique_handle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_TRUE(moved);
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "the owner did not close the handle";

    unique_file none;
    EXPECT_FALSE(none);
    EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
}

TEST(Owners, BstrAndVariantAreFreed) {
    unique_bstr text(SysAllocString(L"abc"));
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    BSTR raw = text.release();
    EXPECT_FALSE(text);
    SysFreeString(raw);

    unique_variant v;
    v.get()->vt = VT_BSTR;
    v.get()->bstrVal = SysAllocString(L"x");
    v.addressof();  // clears the previous content
    EXPECT_EQ(v.get()->vt, VT_EMPTY);
}

TEST(ScratchFolder, RemovesDeepTreesAndNothingOutside) {
    std::string outside;
    std::string root;
    {
        test::ScratchFolder folder;
        root = folder.path();
        outside = root + "-sibling.txt";
        test::WriteBytes(outside, "keep");
        std::wstring deep = L"\\\\?\\" + Widen(root);
        for (int i = 0; i < 30; ++i) {
            deep += L"\\folder_with_a_long_name_" + std::to_wstring(i);
            ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
        }
        ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
        HANDLE f = CreateFileW((deep + L"\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        CloseHandle(f);
    }
    EXPECT_EQ(GetFileAttributesW(Widen(root).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(test::FileExists(outside));
    EXPECT_TRUE(test::FileExists(test::TestBinFolder() + "\\platform_tests.exe"));
    DeleteFileW(Widen(outside).c_str());
}

// Another process may delete the key while it is open: every index then fails with ERROR_KEY_DELETED.
TEST(SubkeyNames, WalkOfAKeyDeletedWhileOpenEnds) {
    test::RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, "Software\\Omni\\Walked\\Child");
    unique_hkey walked;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Omni\\Walked", 0, KEY_READ, walked.addressof()),
              ERROR_SUCCESS);
    test::DeleteTree(HKEY_CURRENT_USER, "Software\\Omni\\Walked");
    std::vector<std::string> names;
    EXPECT_NE(ListSubkeyNames(walked.get(), names), ERROR_SUCCESS);
    EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace omni
