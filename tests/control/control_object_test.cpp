// The control object loaded straight from Omniprobe.ocx, without registration: what a container
// asks of it before any page script runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "control/omniprobe_ids.h"
#include "core/message_catalog.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

class ControlObject : public ::testing::Test {
protected:
    void SetUp() override {
        module_.reset(LoadLibraryW(Widen(TestBinFolder() + "\\Omniprobe.ocx").c_str()));
        ASSERT_TRUE(module_);
        auto getClassObject =
            reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(GetProcAddress(module_.get(), "DllGetClassObject"));
        ASSERT_NE(getClassObject, nullptr);
        com_ptr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(kControlClsid, IID_IClassFactory, factory.put_void()), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, control_.put_void()), S_OK);
    }
    void TearDown() override { control_.reset(); }

    HRESULT Call(const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
        LPOLESTR names = const_cast<LPOLESTR>(name);
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = control_->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) return hr;
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params = {args, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, count,
                             flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        return control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
    }
    long GetLong(const wchar_t* name) {
        unique_variant result;
        EXPECT_EQ(Call(name, DISPATCH_PROPERTYGET, nullptr, 0, result.get()), S_OK);
        return V_VT(result.get()) == VT_I4 ? V_I4(result.get()) : -999;
    }
    void PutLong(const wchar_t* name, long value) {
        VARIANT arg;
        V_VT(&arg) = VT_I4;
        V_I4(&arg) = value;
        EXPECT_EQ(Call(name, DISPATCH_PROPERTYPUT, &arg, 1, nullptr), S_OK);
    }
    void PutString(const wchar_t* name, const wchar_t* value) {
        unique_variant arg;
        V_VT(arg.get()) = VT_BSTR;
        V_BSTR(arg.get()) = SysAllocString(value);
        EXPECT_EQ(Call(name, DISPATCH_PROPERTYPUT, arg.get(), 1, nullptr), S_OK);
    }
    std::string GetString(const wchar_t* name) {
        unique_variant result;
        EXPECT_EQ(Call(name, DISPATCH_PROPERTYGET, nullptr, 0, result.get()), S_OK);
        return V_VT(result.get()) == VT_BSTR ? Narrow(V_BSTR(result.get())) : "<not a string>";
    }

    com_init com_;
    unique_hmodule module_;
    com_ptr<IDispatch> control_;
};

struct SafetyRow {
    const IID* iid;
    DWORD mask;
    DWORD enabled;
    HRESULT set;
};

TEST_F(ControlObject, SafetyOptionsAreAlwaysBothAndCannotBeSwitchedOff) {
    com_ptr<IObjectSafety> safety;
    ASSERT_EQ(control_.query(safety, IID_IObjectSafety), S_OK);
    const IID unknownIid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 3u);
    supported = enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(unknownIid, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 3u);  // written even when refused
    EXPECT_EQ(enabled, 3u);

    const SafetyRow rows[] = {
        {&IID_IDispatch, 3, 3, S_OK},
        {&IID_IDispatch, 1, 1, S_OK},
        {&IID_IPersistPropertyBag, 2, 3, S_OK},
        {&IID_IDispatch, 1, 0, E_FAIL},
        {&IID_IDispatch, 4, 4, E_FAIL},
        {&unknownIid, 3, 3, E_NOINTERFACE},
    };
    for (const SafetyRow& row : rows)
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*row.iid, row.mask, row.enabled), row.set)
            << "mask " << row.mask << " enabled " << row.enabled;
}

// Only the two options a page may ask for are known; any other bit is refused, alone or beside them.
class UnsupportedSafetyBit : public ControlObject, public ::testing::WithParamInterface<int> {};

TEST_P(UnsupportedSafetyBit, IsRefused) {
    com_ptr<IObjectSafety> safety;
    ASSERT_EQ(control_.query(safety, IID_IObjectSafety), S_OK);
    const DWORD bit = 1u << GetParam();
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, bit, bit), E_FAIL);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, bit | 3, bit | 3), E_FAIL);
}

INSTANTIATE_TEST_SUITE_P(EveryOtherBit, UnsupportedSafetyBit, ::testing::Range(2, 32));

// Every code the control answers, with the catalogue entry its text comes from. An independent copy of
// the table: a code that gives another code's text must show up here.
struct CodeEntry {
    long code;
    UINT text;  // 0: "Undefined"
};

const CodeEntry kCodeEntries[] = {
    {0, 223},    {-1, 208},   {-11, 209},  {-21, 210},  {-22, 211},  {-23, 232},     {-31, 212}, {-32, 213},
    {-33, 214},  {-34, 215},  {-35, 103},  {-36, 254},  {-37, 255},  {-41, 218},     {-51, 219}, {-60, 216},
    {-61, 217},  {-70, 220},  {-80, 221},  {-90, 222},  {-91, 207},  {-92, 228},     {-93, 230}, {-94, 231},
    {-95, 233},  {-96, 235},  {-97, 240},  {-99, 241},  {-101, 259}, {-102, 267},    {-103, 285}, {-104, 320},
    {-105, 290}, {-106, 340}, {-107, 341}, {-98, 0},    {-100, 0},   {42, 0},        {-108, 0},  {-104000, 0},
};

TEST_F(ControlObject, ErrorMessagesAreTheCataloguesTextsOfEachCodeInBothLanguages) {
    const struct {
        const wchar_t* lang;
        LANGID language;
    } languages[] = {{L"eng", kLangEnglish}, {L"kor", kLangKorean}};
    for (const auto& language : languages) {
        PutString(L"Lang", language.lang);
        SetCatalogLanguage(language.language);
        for (const CodeEntry& entry : kCodeEntries) {
            VARIANT arg;
            V_VT(&arg) = VT_I4;
            V_I4(&arg) = entry.code;
            unique_variant result;
            ASSERT_EQ(Call(L"GetErrorMsg", DISPATCH_METHOD, &arg, 1, result.get()), S_OK);
            ASSERT_EQ(V_VT(result.get()), VT_BSTR);
            std::string expected = entry.text ? LoadMessage(entry.text) : "Undefined";
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(Narrow(V_BSTR(result.get())), expected) << "code " << entry.code;
        }
    }
    // Windows 98 SE and Me only: the reboot advice is empty elsewhere.
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = 100;
    unique_variant result;
    ASSERT_EQ(Call(L"GetErrorMsg", DISPATCH_METHOD, &arg, 1, result.get()), S_OK);
    EXPECT_EQ(Narrow(V_BSTR(result.get())), "");
}

TEST_F(ControlObject, ScriptSetterAcceptsOnlyLocalAndWebMode) {
    const long rows[][2] = {{1, 1}, {2, 1}, {0, 0}, {7, 0}, {-1, 0}, {1, 1}};
    for (const auto& row : rows) {
        PutLong(L"InstallMode", row[0]);
        EXPECT_EQ(GetLong(L"InstallMode"), row[1]) << "after setting " << row[0];
    }
}

TEST_F(ControlObject, StreamAndStorageKeepEveryProperty) {
    PutLong(L"InstallMode", 1);
    PutString(L"ServerURL", L"http://127.0.0.1/content/");
    PutString(L"MailAddr", L"desk@example.test");
    PutString(L"Lang", L"eng");
    com_ptr<IPersistStreamInit> persist;
    ASSERT_EQ(control_.query(persist, IID_IPersistStreamInit), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);

    com_ptr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.addressof()), S_OK);
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    // A second control loads what the first one saved.
    TearDown();
    SetUp();
    com_ptr<IPersistStreamInit> second;
    ASSERT_EQ(control_.query(second, IID_IPersistStreamInit), S_OK);
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(second->Load(stream.get()), S_OK);
    EXPECT_EQ(GetLong(L"InstallMode"), 1);
    EXPECT_EQ(GetString(L"ServerURL"), "http://127.0.0.1/content/");
    EXPECT_EQ(GetString(L"MailAddr"), "desk@example.test");
    EXPECT_EQ(GetString(L"Lang"), "eng");

    // A damaged stream is refused, and the properties stay as they were.
    com_ptr<IStream> damaged;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, damaged.addressof()), S_OK);
    const DWORD garbage[] = {0x10000, 2540, 2540, 0, 0x7FFFFFFF};
    damaged->Write(garbage, sizeof(garbage), nullptr);
    damaged->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_NE(second->Load(damaged.get()), S_OK);
    EXPECT_EQ(GetString(L"MailAddr"), "desk@example.test");
}

TEST_F(ControlObject, TellsContainersItsEventsAndItsPropertyPage) {
    com_ptr<IProvideClassInfo2> info;
    ASSERT_EQ(control_.query(info, IID_IProvideClassInfo2), S_OK);
    GUID events = GUID_NULL;
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(IsEqualGUID(events, kEventsIid));

    com_ptr<IConnectionPointContainer> container;
    ASSERT_EQ(control_.query(container, IID_IConnectionPointContainer), S_OK);
    com_ptr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(kEventsIid, point.addressof()), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.addressof()), CONNECT_E_NOCONNECTION);

    com_ptr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(control_.query(pages, IID_ISpecifyPropertyPages), S_OK);
    CAUUID list = {};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(list.pElems[0], kPropPageClsid));
    CoTaskMemFree(list.pElems);

    com_ptr<IOleObject> object;
    ASSERT_EQ(control_.query(object, IID_IOleObject), S_OK);
    DWORD status = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
}

}  // namespace
}  // namespace omni::test
