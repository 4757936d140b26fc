// The installed lists: where each listed file is looked for and what is found there.
#include <gtest/gtest.h>

#include <windows.h>

#include "install/component_list.h"
#include "machine/component_ids.h"
#include "machine/component_lookup.h"
#include "machine/folder_mng.h"
#include "platform/text.h"
#include "tests/components/component_test_support.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

struct LookupRow {
    const char* name;
    bool isAdmin;
    bool registeredFolder;
};
void PrintTo(const LookupRow& row, std::ostream* os) { *os << '"' << row.name << (row.isAdmin ? "\" as administrator" : "\""); }

class LookupFolder : public testing::TestWithParam<LookupRow> {};

TEST_P(LookupFolder, ControlsOfNonAdministratorsAreLookedForWhereRegistered) {
    EXPECT_EQ(LooksInRegisteredFolder(GetParam().name, GetParam().isAdmin), GetParam().registeredFolder);
}

INSTANTIATE_TEST_SUITE_P(Names, LookupFolder,
                         testing::Values(LookupRow{"Marklet2.ocx", false, true}, LookupRow{"QUADREL.OCX", false, true},
                                         LookupRow{"Unknown.Ocx", false, true}, LookupRow{".ocx", false, true},
                                         LookupRow{"Marklet2.ocx", true, false}, LookupRow{"support.dll", false, false},
                                         LookupRow{"support.dll", true, false}, LookupRow{"ocx", false, false},
                                         LookupRow{"Marklet2.ocx.bak", false, false}, LookupRow{"", false, false}),
                         test::NamedBy<&LookupRow::name>());

const std::string kClassesClsidPath = "Software\\Classes\\CLSID\\";

// A list file's entries as the necessary list holds them.
void FillNecessary(CNecessaryOCXDLLList& list, test::ScratchFolder& scratch, const std::string& text, int kind) {
    std::string path = scratch.file("necessary.txt");
    test::WriteBytes(path, text);
    ASSERT_EQ(list.ParseListFile(path, -36, kind), 0);
}

// Copies a built fixture into the system folder under a name of this test's own, and removes it.
class SystemFolderCopy {
public:
    SystemFolderCopy(const std::string& source, const std::string& name)
        : path_(GetFolderMng().GetSystemFolder() + name) {
        EXPECT_TRUE(CopyFileW(Widen(source).c_str(), Widen(path_).c_str(), FALSE)) << path_;
    }
    ~SystemFolderCopy() { DeleteFileW(Widen(path_).c_str()); }

private:
    std::string path_;
};

class InstalledList : public testing::Test {
protected:
    void Build(bool isAdmin) {
        state_ = std::make_unique<test::ModuleStateScope>(kInstallModeWeb, isAdmin);
        ASSERT_EQ(state_->initResult(), 0);
        system_ = GetFolderMng().GetSystemFolder();
        versioned_ = std::make_unique<SystemFolderCopy>(bin_ + "ver_6_0_2900_5512.dll", "OmniCatalogVersioned.dll");
        unversioned_ = std::make_unique<SystemFolderCopy>(bin_ + "noversion.dll", "OmniCatalogNoVersion.dll");
        control_ = std::make_unique<SystemFolderCopy>(bin_ + "standin\\Quadrel.ocx", "OmniCatalogControl.ocx");
    }

    const OCXDLLNode* Entry(const CInstalledOCXDLLList& list, const std::string& name) {
        const OCXDLLNode* node = list.Find(name);
        EXPECT_NE(node, nullptr) << name;
        return node;
    }

    test::RegistrySandbox sandbox_;
    test::ScratchFolder scratch_;
    std::string bin_ = test::TestBinBase();
    std::string system_;
    std::unique_ptr<test::ModuleStateScope> state_;
    std::unique_ptr<SystemFolderCopy> versioned_, unversioned_, control_;
};

TEST_F(InstalledList, AdministratorFindsEveryFileInTheSystemFolder) {
    Build(true);
    CNecessaryDllList necessaryDll;
    FillNecessary(necessaryDll, scratch_,
                  "OmniCatalogVersioned.dll 6.0.0.0\nOmniCatalogMissing.dll 1.0.0.0\n"
                  "OmniCatalogNoVersion.dll 1.0.0.0\n",
                  kKindDll);
    CInstalledDllList installed;
    installed.BuildFrom(necessaryDll);

    ASSERT_EQ(installed.GetCount(), 3);
    const OCXDLLNode* present = installed.GetHead();
    EXPECT_EQ(present->name, "OmniCatalogVersioned.dll");
    EXPECT_EQ(present->path, system_ + "OmniCatalogVersioned.dll");
    EXPECT_EQ(present->found, 1);
    EXPECT_EQ(present->version.GetText(), "6.0.2900.5512");
    EXPECT_EQ(present->kind, kKindDll);
    EXPECT_EQ(present->note, "");

    const OCXDLLNode* missing = present->next.get();
    EXPECT_EQ(missing->name, "OmniCatalogMissing.dll");
    EXPECT_EQ(missing->found, 0);
    EXPECT_EQ(missing->version.GetText(), "0.0.0.0");

    // Without a version resource the file is still there, in version 0.0.0.0.
    const OCXDLLNode* unversioned = missing->next.get();
    EXPECT_EQ(unversioned->found, 1);
    EXPECT_EQ(unversioned->version.GetText(), "0.0.0.0");
}

TEST_F(InstalledList, AdministratorLooksForControlsInTheSystemFolderEvenWhenRegisteredElsewhere) {
    Build(true);
    test::SetString(HKEY_CURRENT_USER, kClassesClsidPath + kComponentIds[kQuadrelRow].clsid + "\\InprocServer32", "",
                    bin_ + "standin_old\\Quadrel.ocx");
    CNecessaryOcxList necessary;
    FillNecessary(necessary, scratch_, "OmniCatalogControl.ocx 1.0.0.5\nQuadrel.ocx 1.0.0.5\n", kKindZ4Control);
    CInstalledOcxList installed;
    installed.BuildFrom(necessary);

    const OCXDLLNode* control = Entry(installed, "OmniCatalogControl.ocx");
    EXPECT_EQ(control->path, system_ + "OmniCatalogControl.ocx");
    EXPECT_EQ(control->found, 1);
    EXPECT_EQ(control->version.GetText(), "1.0.0.5");
    EXPECT_EQ(control->kind, kKindZ4Control);
    const OCXDLLNode* quadrel = Entry(installed, "Quadrel.ocx");
    EXPECT_EQ(quadrel->path, system_ + "Quadrel.ocx");
}

TEST_F(InstalledList, NonAdministratorFindsControlsWhereTheyAreRegistered) {
    Build(false);
    // Quadrel per user (the older build), Marklet2 only machine-wide, QuadrelU nowhere.
    test::SetString(HKEY_CURRENT_USER, kClassesClsidPath + kComponentIds[kQuadrelRow].clsid + "\\InprocServer32", "",
                    bin_ + "standin_old\\Quadrel.ocx");
    test::SetString(HKEY_LOCAL_MACHINE, kClassesClsidPath + kComponentIds[kMarklet2Row].clsid + "\\InprocServer32", "",
                    bin_ + "standin\\Marklet2.ocx");
    CNecessaryOcxList necessary;
    FillNecessary(necessary, scratch_,
                  "Quadrel.ocx 1.0.0.5\nMarklet2.ocx 1.0.0.5\nQuadrelU.ocx 1.0.0.5\nOmniCatalogControl.ocx 1.0.0.5\n",
                  kKindZ3Control);
    CInstalledOcxList installed;
    installed.BuildFrom(necessary);
    ASSERT_EQ(installed.GetCount(), 4);

    const OCXDLLNode* quadrel = Entry(installed, "Quadrel.ocx");
    EXPECT_EQ(quadrel->path, bin_ + "standin_old\\Quadrel.ocx");
    EXPECT_EQ(quadrel->found, 1);
    EXPECT_EQ(quadrel->version.GetText(), "1.0.0.4");
    EXPECT_TRUE(quadrel->version < necessary.Find("Quadrel.ocx")->version);  // older than required

    const OCXDLLNode* marklet = Entry(installed, "Marklet2.ocx");
    EXPECT_EQ(marklet->path, bin_ + "standin\\Marklet2.ocx");
    EXPECT_EQ(marklet->found, 1);
    EXPECT_TRUE(marklet->version >= necessary.Find("Marklet2.ocx")->version);

    // Registered nowhere: looked up under its bare name, so not found.
    const OCXDLLNode* unregistered = Entry(installed, "QuadrelU.ocx");
    EXPECT_EQ(unregistered->path, "QuadrelU.ocx");
    EXPECT_EQ(unregistered->found, 0);
    EXPECT_EQ(unregistered->version.GetText(), "0.0.0.0");

    // Not one of the maker's controls: no registration to ask, even though the file is in the system folder.
    const OCXDLLNode* foreign = Entry(installed, "OmniCatalogControl.ocx");
    EXPECT_EQ(foreign->path, "OmniCatalogControl.ocx");
    EXPECT_EQ(foreign->found, 0);
    EXPECT_EQ(foreign->kind, kKindZ3Control);
}

TEST_F(InstalledList, UnregisteredControlIsNotFoundInTheCurrentFolder) {
    Build(false);
    ASSERT_TRUE(CopyFileW(Widen(bin_ + "noversion.dll").c_str(), Widen(scratch_.file("QuadrelU.ocx")).c_str(), FALSE));
    CNecessaryOcxList necessary;
    FillNecessary(necessary, scratch_, "QuadrelU.ocx 1.0.0.5\n", kKindZ4Control);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(Widen(scratch_.path()).c_str());
    CInstalledOcxList installed;
    installed.BuildFrom(necessary);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(Entry(installed, "QuadrelU.ocx")->found, 0);
}

TEST_F(InstalledList, NonAdministratorStillFindsDllsInTheSystemFolder) {
    Build(false);
    CNecessaryDllList necessary;
    FillNecessary(necessary, scratch_, "OmniCatalogVersioned.dll 6.0.0.0\n", kKindDll);
    CInstalledDllList installed;
    installed.BuildFrom(necessary);
    ASSERT_EQ(installed.GetCount(), 1);
    EXPECT_EQ(installed.GetHead()->path, system_ + "OmniCatalogVersioned.dll");
    EXPECT_EQ(installed.GetHead()->found, 1);
}

TEST_F(InstalledList, BuildFromKeepsTheOrderAndDuplicatesOfTheNecessaryList) {
    Build(true);
    CNecessaryOcxList necessary;
    FillNecessary(necessary, scratch_, "b.ocx 1\na.ocx 1\nb.ocx 2\n", kKindZ4Control);
    CInstalledOcxList installed;
    installed.BuildFrom(necessary);
    installed.BuildFrom(necessary);  // appends
    std::string order;
    for (const OCXDLLNode* n = installed.GetHead(); n; n = n->next.get()) order += n->name + " ";
    EXPECT_EQ(order, "b.ocx a.ocx b.ocx b.ocx a.ocx b.ocx ");
    EXPECT_EQ(installed.GetCount(), 6);
}

}  // namespace
}  // namespace omni
