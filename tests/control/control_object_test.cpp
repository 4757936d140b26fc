// The control object loaded straight from Omniprobe.ocx, without registration: what a container
// asks of it before any page script runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "control/omniprobe_ids.h"
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

INSTANTIATE_TEST_SUITE_P(EveryOtherBit, UnsupportedSafetyBit, ::testing::Range(2, 32),
                         [](const ::testing::TestParamInfo<int>& info) { return "Bit" + std::to_string(info.param); });

// What GetErrorMsg gives a page for every code the control answers, as the user reads it: texts swapped
// between codes, or between the languages, in the resource files show up here.
struct CodeText {
    long code;
    const char* english;
    const char* korean;
};

const CodeText kCodeTexts[] = {
    {0, "Normal", "정상"},
    {-1, "Failed to get OS version", "OS 버전 얻기가 실패했습니다"},
    {-11, "Version error", "버전에러"},
    {-21, "Failed to read registry", "레지스트리 읽기가 실패했습니다"},
    {-22, "Failed to open registry", "레지스트리 열기가 실패했습니다"},
    {-23, "Failed to modify registry", "레지스트리 변경에 실패했습니다"},
    {-31, "File does not exist", "파일이 존재하지 않습니다"},
    {-32, "DLL list file does not exist", "Dll 리스트 파일이 존재하지 않습니다"},
    {-33, "Error occurred copying file", "파일 복사 에러입니다"},
    {-34, "Target file is on use", "해당 파일이 사용 중 입니다"},
    {-35, "File %s is on use. Copy failed. Try again after shutting Orvane Zentra products down.",
     "파일 %s 가 사용 중 입니다. 복사에 실패했습니다. Zentra 프로그램을 종료하시고 다시 시도해 주십시오"},
    {-36, "OCX list file does not exist", "Ocx 리스트 파일이 존재하지 않습니다"},
    {-37, "Error occurred downloading files", "파일을 다운로드하지 못했습니다"},
    {-41, "Error occurred getting version of Flash", "Flash 버전을 얻는 과정에서 에러가 발생했습니다"},
    {-51, "Error occurred getting system folder", "시스템 폴더 에러"},
    {-60, "Failed to register on the system", "시스템에 등록이 실패했습니다"},
    {-61, "Error occurred loading DLL", "DLL 로드 에러입니다"},
    {-70, "Diagnosis is incomplete", "점검이 다 이루어지지 않았습니다"},
    {-80, "User canceled", "취소하였습니다"},
    {-90, "Administrator privileges is required.", "관리자 권한이 없습니다"},
    {-91, "Re-run Talvek Diagnostic Tool.", "시청환경 점검 도구 프로그램을 다시 설치하십시오. "},
    {-92, "Undefined factor of method", "정의 되지 않은 메소드 인자입니다"},
    {-93, "Failed to generate sub-process", "하위 프로세스 생성에 실패하였습니다"},
    {-94, "Failed to modify Flash settings file", "플래시 설정 파일 변경에 실패했습니다"},
    {-95, "Diagnosis has not run", "점검이 실행되지 않았습니다"},
    {-96, "Not relevant OS", "설치된 OS 에 해당되지 않습니다"},
    {-97, "Error loading mailing program", "메일 프로그램 실행 에러입니다"},
    {-99, "Succeeded", "성공했습니다"},
    {-101, "Failed to initialize", "초기화에 실패했습니다"},
    {-102,
     "This feature is only available for administrator permission.\n"
     "To use this feature, run the program as administrator.\n"
     "------------------------------------------------------------------\n"
     "[2000/XP User] Log into an account with administrator privileges and execute.\n"
     "[Vista user]  Choose 'Run as administrator' on the menu that appears\n"
     " when you click the right mouse button on the program icon.",
     "이 기능은 관리자 권한에서만 사용할 수 있습니다.\n"
     "기능을 사용하려면 프로그램을 관리자 권한으로 실행하여 주십시오.\n"
     "------------------------------------------------------------------\n"
     "[2000/XP 사용자] 관리자 권한을 가진 계정으로 로그인 하신 후 실행.\n"
     "[Vista 사용자] 프로그램 아이콘에서 오른쪽 마우스 버튼을 클릭하면\n"
     " 나타나는 메뉴에서 '관리자 권한으로 실행' 을 선택"},
    {-103, "This page's site is not allowed to use the diagnostic tool.", "이 페이지의 사이트는 진단 도구를 사용할 수 없습니다."},
    {-104, "The file is not signed by a trusted publisher.", "신뢰할 수 있는 게시자가 서명한 파일이 아닙니다."},
    {-105, "A diagnosis is already running. Its result will follow.", "진단이 이미 실행 중입니다. 곧 결과가 전달됩니다."},
    {-98, "Undefined", "Undefined"},
    {-100, "Undefined", "Undefined"},
    {42, "Undefined", "Undefined"},
    {-106, "The file offered is not the component asked for, or is older than the one installed.",
     "제공된 파일이 요청한 구성 요소가 아니거나, 설치된 것보다 오래된 버전입니다."},
    {-107, "The installer ended with an error.", "설치 프로그램이 오류와 함께 종료되었습니다."},
    {-108, "Undefined", "Undefined"},
    {-104000, "Undefined", "Undefined"},
};

TEST_F(ControlObject, ErrorMessagesAreEachCodesTextInBothLanguages) {
    for (bool english : {true, false}) {
        PutString(L"Lang", english ? L"eng" : L"kor");
        for (const CodeText& entry : kCodeTexts) {
            VARIANT arg;
            V_VT(&arg) = VT_I4;
            V_I4(&arg) = entry.code;
            unique_variant result;
            ASSERT_EQ(Call(L"GetErrorMsg", DISPATCH_METHOD, &arg, 1, result.get()), S_OK);
            ASSERT_EQ(V_VT(result.get()), VT_BSTR);
            EXPECT_EQ(Narrow(V_BSTR(result.get())), english ? entry.english : entry.korean) << "code " << entry.code;
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
