// Omniprobe.ocx registered and unregistered by the system's 32-bit regsvr32, read back key by key,
// and its type library loaded from the module.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "control/omniprobe_ids.h"
#include "framework/class_registration.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/captured_process.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

std::string OcxPath() { return TestBinFolder() + "\\Omniprobe.ocx"; }

DWORD Regsvr32(const std::string& options, const ScratchFolder& scratch) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);  // a 32-bit process is given the 32-bit system folder
    CapturedProcess run =
        RunCaptured("\"" + Narrow(system) + "\\regsvr32.exe\" /s " + options + " \"" + OcxPath() + "\"", scratch.path());
    return run.started ? run.exitCode : 999;
}

struct ExpectedValue {
    std::string key;  // below HKEY_CLASSES_ROOT
    std::string name;
    std::string value;
};

std::vector<ExpectedValue> ExpectedValues() {
    const std::string control = "CLSID\\" + fw::GuidText(kControlClsid);
    const std::string page = "CLSID\\" + fw::GuidText(kPropPageClsid);
    const std::string lib = "TypeLib\\" + fw::GuidText(kLibId) + "\\1.0";
    return {
        {control, "", "Omniprobe Control"},
        {control + "\\ProgID", "", "OMNIPROBE.OmniprobeCtrl.1"},
        {control + "\\InprocServer32", "", OcxPath()},
        {control + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {control + "\\MiscStatus\\1", "", "131473"},
        {control + "\\ToolboxBitmap32", "", OcxPath() + ", 1"},
        {control + "\\TypeLib", "", fw::GuidText(kLibId)},
        {control + "\\Version", "", "1.0"},
        {"OMNIPROBE.OmniprobeCtrl.1", "", "Omniprobe Control"},
        {"OMNIPROBE.OmniprobeCtrl.1\\CLSID", "", fw::GuidText(kControlClsid)},
        {page, "", "Omniprobe Property Page"},
        {page + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {"OMNIPROBE.OmniprobePropPage.1\\CLSID", "", fw::GuidText(kPropPageClsid)},
        {lib, "", "Omniprobe ActiveX Control module"},
        {lib + "\\409\\win32", "", OcxPath()},
    };
}

TEST(ControlRegistration, Regsvr32WritesEveryKeyAndRemovesThemAgain) {
    ScratchFolder scratch;
    ASSERT_EQ(Regsvr32("", scratch), 0u);
    for (const ExpectedValue& row : ExpectedValues()) {
        std::string value;
        EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, row.key, row.name, value)) << row.key << " " << row.name;
        // Wine writes the type library's path in its long form ("\\?\" first).
        if (value.rfind("\\\\?\\", 0) == 0) value = value.substr(4);
        EXPECT_TRUE(EqualsNoCase(value, row.value)) << row.key << ": " << value;
    }
    // Not insertable, and safety comes only from IObjectSafety, never from component categories.
    const std::string control = "CLSID\\" + fw::GuidText(kControlClsid);
    EXPECT_FALSE(KeyPresent(HKEY_CLASSES_ROOT, control + "\\Insertable"));
    EXPECT_FALSE(KeyPresent(HKEY_CLASSES_ROOT, control + "\\Implemented Categories"));

    ASSERT_EQ(Regsvr32("/u", scratch), 0u);
    for (const ExpectedValue& row : ExpectedValues()) EXPECT_FALSE(KeyPresent(HKEY_CLASSES_ROOT, row.key)) << row.key;
    EXPECT_FALSE(KeyPresent(HKEY_CLASSES_ROOT, "TypeLib\\" + fw::GuidText(kLibId) + "\\1.0"));
}

struct Member {
    const wchar_t* name;
    DISPID id;
    INVOKEKIND kind;
};

TEST(ControlTypeLibrary, LoadsFromTheModuleWithTheScriptingTable) {
    com_ptr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(Widen(OcxPath()).c_str(), REGKIND_NONE, library.addressof()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kLibId));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0x409u);
    library->ReleaseTLibAttr(attributes);

    com_ptr<ITypeInfo> dispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kDispatchIid, dispatch.addressof()), S_OK);
    const Member members[] = {
        {L"ServerURL", 1, INVOKE_PROPERTYGET}, {L"MailAddr", 2, INVOKE_PROPERTYGET},
        {L"InstallMode", 3, INVOKE_PROPERTYGET}, {L"SetWebMode", 4, INVOKE_FUNC},
        {L"Retrieve", 5, INVOKE_FUNC}, {L"InstallOcx", 6, INVOKE_FUNC},
        {L"InstallDll", 7, INVOKE_FUNC}, {L"Modify", 8, INVOKE_FUNC},
        {L"SaveTo", 9, INVOKE_FUNC}, {L"MailTo", 10, INVOKE_FUNC},
        {L"InstallProgram", 11, INVOKE_FUNC}, {L"GetErrorMsg", 12, INVOKE_FUNC},
        {L"ShowSampleContent", 13, INVOKE_FUNC}, {L"ShowIEToolbarList", 14, INVOKE_FUNC},
        {L"GetDisabledIEAddins", 15, INVOKE_FUNC}, {L"Lang", 16, INVOKE_PROPERTYGET},
        {L"SendInformation", 17, INVOKE_FUNC}, {L"IsIE10orAbove", 18, INVOKE_FUNC},
        {L"Is64bitOS", 19, INVOKE_FUNC}, {L"GetIEVersion", 20, INVOKE_FUNC},
    };
    for (const Member& member : members) {
        LPOLESTR name = const_cast<LPOLESTR>(member.name);
        MEMBERID id = DISPID_UNKNOWN;
        EXPECT_EQ(dispatch->GetIDsOfNames(&name, 1, &id), S_OK) << Narrow(member.name);
        EXPECT_EQ(id, member.id) << Narrow(member.name);
    }

    com_ptr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kControlClsid, coclass.addressof()), S_OK);
    bool defaultSource = false;
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE reference = 0;
        com_ptr<ITypeInfo> implemented;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &reference), S_OK);
        ASSERT_EQ(coclass->GetRefTypeInfo(reference, implemented.addressof()), S_OK);
        TYPEATTR* type = nullptr;
        ASSERT_EQ(implemented->GetTypeAttr(&type), S_OK);
        if ((flags & IMPLTYPEFLAG_FSOURCE) && (flags & IMPLTYPEFLAG_FDEFAULT))
            defaultSource = IsEqualGUID(type->guid, kEventsIid);
        implemented->ReleaseTypeAttr(type);
    }
    EXPECT_TRUE(defaultSource);
}

}  // namespace
}  // namespace omni::test
