// The live probes of the maker's controls: creation as a hidden child window, and the browser's
// add-on switch. Creation needs a display (run under xvfb-run).
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <stdexcept>

#include "install/component_list.h"
#include "install/component_probe.h"
#include "machine/component_ids.h"
#include "machine/guid_text.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/components/component_test_support.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

// --- Creation -------------------------------------------------------------------------------

// Registers a stand-in control machine-wide through its own DllRegisterServer, as regsvr32 would,
// and removes the registration again (directly, so it works when the file is gone too).
class MachineRegistration {
public:
    MachineRegistration(const std::string& serverPath, int row) : row_(row) {
        unique_hmodule server(LoadLibraryW(Widen(serverPath).c_str()));
        EXPECT_TRUE(server) << serverPath;
        if (!server) return;
        auto reg = reinterpret_cast<HRESULT(__stdcall*)()>(GetProcAddress(server.get(), "DllRegisterServer"));
        EXPECT_TRUE(reg && SUCCEEDED(reg())) << serverPath;
    }
    ~MachineRegistration() { Remove(); }
    void Remove() {
        test::DeleteTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kComponentIds[row_].clsid);
        test::DeleteTree(HKEY_CLASSES_ROOT, kComponentIds[row_].progId);
    }

private:
    int row_;
};

std::string StandinPath(const char* fileName) { return test::TestBinFolder() + "\\standin\\" + fileName; }

TEST(CanCreateControl, RegisteredStandinIsCreatedUntilItIsUnregistered) {
    CInstalledOcxList list;
    MachineRegistration registration(StandinPath("Marklet2.ocx"), kMarklet2Row);
    EXPECT_TRUE(list.CanCreateControl("Marklet2.ocx"));
    EXPECT_TRUE(list.CanCreateControl("MARKLET2.OCX"));  // names compare without regard to case
    registration.Remove();
    EXPECT_FALSE(list.CanCreateControl("Marklet2.ocx"));
}

TEST(CanCreateControl, RegisteredControlWhoseFileIsGoneIsNotCreated) {
    test::ScratchFolder scratch;
    std::string copy = scratch.file("QuadrelU.ocx");
    ASSERT_TRUE(CopyFileW(Widen(StandinPath("QuadrelU.ocx")).c_str(), Widen(copy).c_str(), FALSE));
    MachineRegistration registration(copy, kQuadrelURow);
    CInstalledOcxList list;
    ASSERT_TRUE(DeleteFileW(Widen(copy).c_str()));
    EXPECT_FALSE(list.CanCreateControl("QuadrelU.ocx"));
}

TEST(CanCreateControl, NeverRegisteredControlIsNotCreated) {
    CInstalledOcxList list;
    EXPECT_FALSE(list.CanCreateControl("Marklet3Inner.ocx"));
}

int creatorCalls = 0;
std::string creatorClsid;

bool RecordingCreator(const CLSID& clsid) {
    ++creatorCalls;
    creatorClsid = FormatGuid(clsid);
    return true;
}

bool ThrowingCreator(const CLSID&) { throw std::runtime_error("control blew up"); }

struct CreatableRow {
    const char* fileName;
    int row;
};
void PrintTo(const CreatableRow& row, std::ostream* os) { *os << '"' << row.fileName << '"'; }

class CreatableControls : public testing::TestWithParam<CreatableRow> {};

TEST_P(CreatableControls, AreCreatedByTheClassIdentifierOfTheirRow) {
    creatorCalls = 0;
    EXPECT_EQ(CreatableControlRow(GetParam().fileName), GetParam().row);
    EXPECT_EQ(CanCreateControl(GetParam().fileName, &RecordingCreator), GetParam().row >= 0);
    if (GetParam().row >= 0) {
        EXPECT_EQ(creatorCalls, 1);
        EXPECT_EQ(creatorClsid, kComponentIds[GetParam().row].clsid);
    } else {
        EXPECT_EQ(creatorCalls, 0);  // names outside the table create nothing
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, CreatableControls,
    testing::Values(CreatableRow{"Marklet2.ocx", kMarklet2Row}, CreatableRow{"Marklet3Outer.ocx", kMarklet3OuterRow},
                    CreatableRow{"marklet3inner.OCX", kMarklet3InnerRow}, CreatableRow{"Quadrel.ocx", kQuadrelRow},
                    CreatableRow{"QuadrelU.ocx", kQuadrelURow}, CreatableRow{"Omniprobe.ocx", -1},
                    CreatableRow{"Unknown.ocx", -1}, CreatableRow{"Marklet2", -1}, CreatableRow{"", -1}),
    test::NamedBy<&CreatableRow::fileName>());

TEST(CanCreateControl, ExceptionDuringCreationCountsAsFailure) {
    EXPECT_FALSE(CanCreateControl("Quadrel.ocx", &ThrowingCreator));
}

// --- Add-on switch ----------------------------------------------------------------------------

const std::string kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";

enum class FlagsStored { kNoKey, kNoValue, kDword, kText, kBinary };

struct AddonRow {
    const char* name;
    FlagsStored stored;
    DWORD dword;
    const char* text;
    int enabled;
};
void PrintTo(const AddonRow& row, std::ostream* os) { *os << row.name; }

class AddonSwitch : public testing::TestWithParam<AddonRow> {
protected:
    test::RegistrySandbox sandbox_;
};

TEST_P(AddonSwitch, OnlyDwordOneDisablesTheControl) {
    const AddonRow& row = GetParam();
    const std::string key = kSettings + kComponentIds[kMarklet2Row].clsid;
    switch (row.stored) {
        case FlagsStored::kNoKey: break;
        case FlagsStored::kNoValue: test::CreateKey(HKEY_CURRENT_USER, key); break;
        case FlagsStored::kDword: test::SetDword(HKEY_CURRENT_USER, key, "Flags", row.dword); break;
        case FlagsStored::kText: test::SetString(HKEY_CURRENT_USER, key, "Flags", row.text); break;
        case FlagsStored::kBinary: {
            unique_hkey k;
            ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                      k.addressof(), nullptr),
                      ERROR_SUCCESS);
            RegSetValueExW(k.get(), L"Flags", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&row.dword),
                           sizeof(row.dword));
            break;
        }
    }
    CInstalledOcxList list;
    EXPECT_EQ(list.IsAddonEnabled("Marklet2.ocx"), row.enabled);
    EXPECT_EQ(list.IsAddonEnabled("MARKLET2.ocx"), row.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, AddonSwitch,
    testing::Values(AddonRow{"NoSettingsKey", FlagsStored::kNoKey, 0, "", 1},
                    AddonRow{"NoFlagsValue", FlagsStored::kNoValue, 0, "", 1},
                    AddonRow{"DwordOne", FlagsStored::kDword, 1, "", 0},
                    AddonRow{"DwordZero", FlagsStored::kDword, 0, "", 1},
                    AddonRow{"DwordTwo", FlagsStored::kDword, 2, "", 1},
                    AddonRow{"TextOne", FlagsStored::kText, 0, "1", 1},
                    AddonRow{"LongText", FlagsStored::kText, 0, "disabled", 1},
                    AddonRow{"BinaryOne", FlagsStored::kBinary, 1, "", 1}),
    [](const testing::TestParamInfo<AddonRow>& info) { return std::string(info.param.name); });

TEST(AddonSwitchNames, EachControlIsLookedUpUnderItsOwnClass) {
    test::RegistrySandbox sandbox;
    test::SetDword(HKEY_CURRENT_USER, kSettings + kComponentIds[kQuadrelRow].clsid, "Flags", 1);
    CInstalledOcxList list;
    EXPECT_EQ(list.IsAddonEnabled("Quadrel.ocx"), 0);
    EXPECT_EQ(list.IsAddonEnabled("QuadrelU.ocx"), 1);
    EXPECT_EQ(list.IsAddonEnabled("Marklet3Outer.ocx"), 1);
}

TEST(AddonSwitchNames, NameOutsideTheTableIsEnabledAndChangesNothing) {
    test::RegistrySandbox sandbox;
    // Even a disabling value on the Settings key itself must not be read for an unknown name.
    test::SetDword(HKEY_CURRENT_USER, kSettings.substr(0, kSettings.size() - 1), "Flags", 1);
    CInstalledOcxList list;
    EXPECT_EQ(list.IsAddonEnabled("Unknown.ocx"), 1);
    EXPECT_EQ(list.IsAddonEnabled(""), 1);
    DWORD flags = 0;
    EXPECT_TRUE(test::ReadDword(HKEY_CURRENT_USER, kSettings.substr(0, kSettings.size() - 1), "Flags", flags));
    EXPECT_EQ(flags, 1u);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kSettings + "Unknown.ocx"));
}

// --- GUID text ----------------------------------------------------------------------------------

TEST(FormatGuid, WritesBracedUpperCaseText) {
    const GUID guid = {0x0a1b2c3d, 0x4e5f, 0x6071, {0x82, 0x93, 0xa4, 0xb5, 0xc6, 0xd7, 0xe8, 0xf9}};
    EXPECT_EQ(FormatGuid(guid), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
    EXPECT_EQ(FormatGuid(GUID{}), "{00000000-0000-0000-0000-000000000000}");
}

TEST(FormatGuid, RoundTripsEveryComponentIdentifier) {
    for (const ComponentIds& ids : kComponentIds) {
        GUID guid;
        ASSERT_TRUE(SUCCEEDED(IIDFromString(Widen(ids.clsid).c_str(), &guid))) << ids.clsid;
        EXPECT_EQ(FormatGuid(guid), ids.clsid);
    }
}

}  // namespace
}  // namespace omni
