// The list-file token rules and the necessary lists read from list files.
#include <gtest/gtest.h>

#include "core/result_codes.h"
#include "install/component_list.h"
#include "machine/folder_mng.h"
#include "machine/list_file.h"
#include "tests/components/component_test_support.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

// "name=version;..." for comparing a parse at a glance.
std::string Describe(const std::vector<ListFileEntry>& entries) {
    std::string text;
    for (const ListFileEntry& e : entries) text += e.name + "=" + e.version + ";";
    return text;
}

struct TokenRow {
    const char* name;
    std::string content;
    const char* expected;
};
void PrintTo(const TokenRow& row, std::ostream* os) { *os << row.name; }

class ListFileTokens : public testing::TestWithParam<TokenRow> {};

TEST_P(ListFileTokens, YieldTheListedPairs) {
    EXPECT_EQ(Describe(ParseListText(GetParam().content)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ListFileTokens,
    testing::Values(
        TokenRow{"PairWithoutFinalLineBreakIsDropped", "Marklet2.ocx 1.0.0.5", ""},
        TokenRow{"PairWithFinalLineBreakIsTaken", "Marklet2.ocx 1.0.0.5\n", "Marklet2.ocx=1.0.0.5;"},
        TokenRow{"UnpairedLastNameIsDropped", "a.ocx 1.0.0.1\nb.ocx", "a.ocx=1.0.0.1;"},
        TokenRow{"UnpairedLastNameWithLineBreakIsDropped", "a.ocx 1.0.0.1\nb.ocx\n", "a.ocx=1.0.0.1;"},
        TokenRow{"TokensMaySpreadOverLines", "a.ocx\n1.0.0.1 b.ocx 2.0.0.0\n", "a.ocx=1.0.0.1;b.ocx=2.0.0.0;"},
        TokenRow{"WindowsLineBreaksAndTabsSeparate", "a.ocx\t1.0.0.1\r\n\r\n  b.dll   2.0\r\n",
                 "a.ocx=1.0.0.1;b.dll=2.0;"},
        TokenRow{"DuplicatesAreKept", "a.ocx 1.0.0.1\na.ocx 2.0.0.0\n", "a.ocx=1.0.0.1;a.ocx=2.0.0.0;"},
        TokenRow{"FinalBlankIsEnoughWhiteSpace", "a.ocx 1.0.0.1 ", "a.ocx=1.0.0.1;"},
        TokenRow{"EmptyFileHasNoEntries", "", ""},
        TokenRow{"WhiteSpaceOnlyHasNoEntries", " \r\n\t\n", ""},
        TokenRow{"CtrlZEndsTheTextModeFile", std::string("a.ocx 1.0.0.1\n\x1a" "b.ocx 2.0.0.0\n"), "a.ocx=1.0.0.1;"},
        TokenRow{"NameStartingWithNulIsSkipped", std::string("\0x", 2) + " a.ocx 1.0.0.1\n", "a.ocx=1.0.0.1;"}),
    [](const testing::TestParamInfo<TokenRow>& info) { return std::string(info.param.name); });

TEST(ListFileTokens, OverlongNameIsCutAt511AndTheNextPairsKeepTheirPlaces) {
    const std::string longName(600, 'n');
    const std::string longestWholeName(511, 'w');
    auto entries = ParseListText(longName + " 1.0.0.1\nb.ocx 2.0.0.0\n" + longestWholeName + " 3\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, std::string(511, 'n'));
    EXPECT_EQ(entries[0].version, "1.0.0.1");
    EXPECT_EQ(entries[1].name, "b.ocx");
    EXPECT_EQ(entries[1].version, "2.0.0.0");
    EXPECT_EQ(entries[2].name, longestWholeName);
}

TEST(ListFileTokens, OverlongVersionIsCutAndTheNextPairStaysAligned) {
    const std::string longVersion = "1.2.3.4" + std::string(2000, '9');
    auto entries = ParseListText("a.ocx " + longVersion + "\nb.ocx 2.0.0.0\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].version.size(), kMaxListTokenLength);
    EXPECT_EQ(entries[1].name, "b.ocx");
}

TEST(DllListChoice, NtFamilyReadsTheWindows2000ListOthersThe98List) {
    EXPECT_EQ(DllListFileName(0), "dlllist98.txt");
    EXPECT_EQ(DllListFileName(1), "dlllist98.txt");
    EXPECT_EQ(DllListFileName(5), "dlllist98.txt");
    EXPECT_EQ(DllListFileName(6), "dlllist2000.txt");
    EXPECT_EQ(DllListFileName(18), "dlllist2000.txt");
    EXPECT_EQ(DllListFileName(33), "dlllist2000.txt");
}

// --- The necessary lists ---------------------------------------------------------------------

class NecessaryList : public testing::Test {
protected:
    test::ModuleStateScope state_{kInstallModeLocal, false};
    test::ScratchFolder scratch_;
};

TEST_F(NecessaryList, ParseListFileBuildsNodesUnderTheSystemFolder) {
    std::string path = scratch_.file("list.txt");
    test::WriteBytes(path, "Marklet2.ocx 1.0.0.5\r\nQuadrel.ocx 2.3\r\n");
    CNecessaryOcxList list;
    EXPECT_EQ(list.ParseListFile(path, kOcxListMissing, kKindZ3Control), kOk);
    ASSERT_EQ(list.GetCount(), 2);
    const OCXDLLNode* first = list.GetHead();
    EXPECT_EQ(first->name, "Marklet2.ocx");
    EXPECT_EQ(first->path, GetFolderMng().GetSystemFolder() + "Marklet2.ocx");
    EXPECT_EQ(first->kind, kKindZ3Control);
    EXPECT_EQ(first->version.GetText(), "1.0.0.5");
    EXPECT_EQ(first->version.revision, 5);
    EXPECT_EQ(first->found, 0);
    EXPECT_EQ(first->note, "");
    const OCXDLLNode* second = first->next.get();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->name, "Quadrel.ocx");
    EXPECT_EQ(second->version.minor, 3);
    EXPECT_EQ(second->next, nullptr);
}

// A server's list is as hostile as a page: nothing outside the component folders is ever probed.
TEST_F(NecessaryList, ParseListFileDropsEveryNameThatIsNotAPlainFileName) {
    std::string path = scratch_.file("list.txt");
    test::WriteBytes(path, "..\\..\\..\\windows\\win.ini 1.0\r\nC:\\x.ocx 1\r\nsub/a.ocx 1\r\nCOM\xC2\xB9 1\r\n"
                           "NUL.dll 1\r\n\\\\host\\share\\b.ocx 1\r\nQuadrel.ocx 1.0.0.5\r\n");
    CNecessaryOcxList list;
    EXPECT_EQ(list.ParseListFile(path, kOcxListMissing, kKindZ4Control), kOk);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetHead()->name, "Quadrel.ocx");
}

TEST_F(NecessaryList, MissingListFileAnswersTheCallersCodeAndAddsNothing) {
    CNecessaryDllList list;
    EXPECT_EQ(list.ParseListFile(scratch_.file("absent.txt"), kDllListMissing, kKindDll), kDllListMissing);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetHead(), nullptr);
}

TEST_F(NecessaryList, FindReturnsTheFirstOfDuplicateNamesWithoutRegardToCase) {
    std::string path = scratch_.file("list.txt");
    test::WriteBytes(path, "a.ocx 1.0.0.1\nb.ocx 3.0.0.0\nA.OCX 2.0.0.0\n");
    CNecessaryOcxList list;
    ASSERT_EQ(list.ParseListFile(path, kOcxListMissing, kKindZ4Control), kOk);
    EXPECT_EQ(list.GetCount(), 3);
    OCXDLLNode* found = list.Find("A.ocx");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->version.GetText(), "1.0.0.1");
    EXPECT_EQ(found, list.GetHead());
    EXPECT_EQ(list.Find("c.ocx"), nullptr);
}

TEST_F(NecessaryList, ClearEmptiesTheListAndItCanBeFilledAgain) {
    std::string path = scratch_.file("list.txt");
    test::WriteBytes(path, "a.ocx 1\nb.ocx 2\n");
    CNecessaryOcxList list;
    list.ParseListFile(path, kOcxListMissing, kKindZ4Control);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.Find("a.ocx"), nullptr);
    list.ParseListFile(path, kOcxListMissing, kKindZ4Control);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Find("b.ocx")->next, nullptr);
}

TEST(OcxDllList, LongListIsReleasedWithoutDeepRecursion) {
    CNecessaryOcxList list;
    for (int i = 0; i < 200000; ++i) {
        auto node = std::make_unique<OCXDLLNode>();
        node->name = "x.ocx";
        list.Append(std::move(node));
    }
    EXPECT_EQ(list.GetCount(), 200000);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
}

// Both OCX list files of local mode, beside the test program as beside a hosting executable.
class LocalListFiles : public testing::Test {
protected:
    test::ModuleStateScope state_{kInstallModeLocal, false};
    std::string base_ = test::TestBinBase();
};

TEST_F(LocalListFiles, LoadOcxListTagsZ4ThenZ3EntriesInOneList) {
    test::PlacedFile z4(base_ + "Z4OCX\\ocxlistz4.txt", "Marklet3Outer.ocx 4.0.0.1\nMarklet3Inner.ocx 4.0.0.2\n");
    test::PlacedFile z3(base_ + "Z3OCX\\ocxlistz3.txt", "Marklet2.ocx 3.0.0.1\n");
    CNecessaryOcxList list;
    EXPECT_EQ(list.LoadOcxList(kKindZ4Control), kOk);
    EXPECT_EQ(list.LoadOcxList(kKindZ3Control), kOk);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.Find("Marklet3Outer.ocx")->kind, kKindZ4Control);
    EXPECT_EQ(list.Find("Marklet3Inner.ocx")->kind, kKindZ4Control);
    EXPECT_EQ(list.Find("Marklet2.ocx")->kind, kKindZ3Control);
    EXPECT_EQ(list.GetHead()->name, "Marklet3Outer.ocx");
}

TEST_F(LocalListFiles, MissingZ3ListKeepsTheZ4Entries) {
    test::PlacedFile z4(base_ + "Z4OCX\\ocxlistz4.txt", "Quadrel.ocx 1.0.0.5\n");
    CNecessaryOcxList list;
    EXPECT_EQ(list.LoadOcxList(kKindZ4Control), kOk);
    EXPECT_EQ(list.LoadOcxList(kKindZ3Control), kOcxListMissing);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(LocalListFiles, LoadOcxListOfAnotherKindReadsNothing) {
    test::PlacedFile z3(base_ + "Z3OCX\\ocxlistz3.txt", "Marklet2.ocx 3.0.0.1\n");
    CNecessaryOcxList list;
    EXPECT_EQ(list.LoadOcxList(kKindDll), kOcxListMissing);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(LocalListFiles, Windows98FamilyReadsTheZ4ListFromThe98Folder) {
    test::PlacedFile z4(base_ + "Z4OCX\\ocxlistz4.txt", "Current.ocx 2.0.0.0\n");
    test::PlacedFile z4Legacy(base_ + "Z4OCX\\98\\ocxlistz4.txt", "Legacy.ocx 1.0.0.0\n");
    GetFolderMng().SwitchZ4To98();
    CNecessaryOcxList list;
    EXPECT_EQ(list.LoadOcxList(kKindZ4Control), kOk);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetHead()->name, "Legacy.ocx");
}

struct DllListRow {
    int osCode;
    const char* expectedName;
};
void PrintTo(const DllListRow& row, std::ostream* os) { *os << "OS code " << row.osCode; }

class DllListByOs : public testing::TestWithParam<DllListRow> {};

TEST_P(DllListByOs, ReadsTheListOfTheOsFamilyAsDlls) {
    test::ModuleStateScope state(kInstallModeLocal, false);
    const std::string base = test::TestBinBase();
    test::PlacedFile nt(base + "DLL\\dlllist2000.txt", "nt.dll 5.0.0.0\n");
    test::PlacedFile legacy(base + "DLL\\dlllist98.txt", "legacy.dll 4.0.0.0\n");
    CNecessaryDllList list;
    EXPECT_EQ(list.LoadDllList(GetParam().osCode), kOk);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetHead()->name, GetParam().expectedName);
    EXPECT_EQ(list.GetHead()->kind, kKindDll);
}

INSTANTIATE_TEST_SUITE_P(OsCodes, DllListByOs,
                         testing::Values(DllListRow{0, "legacy.dll"}, DllListRow{3, "legacy.dll"},
                                         DllListRow{5, "legacy.dll"}, DllListRow{6, "nt.dll"},
                                         DllListRow{18, "nt.dll"}, DllListRow{27, "nt.dll"}),
                         [](const testing::TestParamInfo<DllListRow>& info) {
                             return "OsCode" + std::to_string(info.param.osCode);
                         });

TEST(DllList, MissingDllListAnswersItsOwnCode) {
    test::ModuleStateScope state(kInstallModeLocal, false);
    CNecessaryDllList list;
    EXPECT_EQ(list.LoadDllList(27), kDllListMissing);
    EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
}  // namespace omni
