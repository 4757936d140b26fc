// What a refused page leaves of its own: two controls of the one module in this process, one on a page
// the policy allows and one on a page it refuses, as two <object> elements of two pages in one browser.
#include <gtest/gtest.h>

#include <windows.h>
#include <urlmon.h>

#include <string>
#include <vector>

#include "hosting/control_host.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const CLSID kControl = {0x4814A6CB, 0x9A5D, 0x4F66, {0x99, 0xF5, 0x79, 0x41, 0x30, 0x40, 0x05, 0x4B}};
const char kPolicyKey[] = "SOFTWARE\\Policies\\Talvek\\Omniprobe";
const char kScenario[] = "allowlist_state/";

class PageObject {
public:
    PageObject(HWND parent, const std::string& address, ParamList params) {
        CreateURLMonikerEx(nullptr, Widen(address).c_str(), document_.addressof(), URL_MK_UNIFORM);
        ControlCreation how;
        how.params = &params;
        how.document = document_.get();
        RECT rect = {0, 0, 40, 40};
        created_ = host_.Create(parent, kControl, rect, how);
    }
    HRESULT created() const { return created_; }

    HRESULT Invoke(const wchar_t* name, WORD flags, VARIANT* argument, VARIANT* result) {
        com_ptr<IDispatch> control;
        HRESULT hr = host_.control() ? host_.control()->QueryInterface(IID_IDispatch, control.put_void()) : E_FAIL;
        if (FAILED(hr)) return hr;
        LPOLESTR names = const_cast<LPOLESTR>(name);
        DISPID id = DISPID_UNKNOWN, put = DISPID_PROPERTYPUT;
        if (FAILED(hr = control->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id))) return hr;
        DISPPARAMS params = {argument, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, argument ? 1u : 0u,
                             flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
    }

private:
    com_ptr<IMoniker> document_;
    ControlHost host_;
    HRESULT created_ = E_FAIL;
};

class RefusedPageState : public ControlPageSuite<> {
protected:
    void SetUp() override {
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        ASSERT_TRUE(ControlRegistered()) << "regsvr32 could not register Omniprobe.ocx";
        SetString(HKEY_LOCAL_MACHINE, kPolicyKey, "AllowedHosts", "desk.example", REG_SZ, KEY_WOW64_64KEY);
        parent_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    }
    void TearDown() override { DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies\\Talvek", KEY_WOW64_64KEY); }

    com_init com_;
    unique_hwnd parent_;
    ChildTempFolder temp_;
};

// The refused page asks for web mode and Korean: neither may reach the module, which the allowed page's
// local-mode Retrieve reads, nor the thread, whose locale the allowed page set to English.
TEST_F(RefusedPageState, ChangesNothingOutsideItsOwnObject) {
    const std::string server = ContentServerUrl() + kScenario;
    PageObject allowed(parent_.get(), "https://desk.example/support/page.htm",
                       {{"InstallMode", "0"}, {"Lang", "eng"}, {"ServerURL", server}});
    ASSERT_EQ(allowed.created(), S_OK);
    const LCID english = GetThreadLocale();
    PageObject refused(parent_.get(), "https://evil.example/page.htm",
                       {{"InstallMode", "1"}, {"Lang", "kor"}, {"ServerURL", server}});
    ASSERT_EQ(refused.created(), S_OK);
    unique_variant lang;
    V_VT(lang.get()) = VT_BSTR;
    V_BSTR(lang.get()) = SysAllocString(L"kor");
    EXPECT_EQ(refused.Invoke(L"Lang", DISPATCH_PROPERTYPUT, lang.get(), nullptr), S_OK);
    EXPECT_EQ(GetThreadLocale(), english);

    const size_t before = ContentRequests().size();
    unique_variant code;
    ASSERT_EQ(allowed.Invoke(L"Retrieve", DISPATCH_METHOD, nullptr, code.get()), S_OK);
    EXPECT_EQ(V_I4(code.get()), 0);  // in local mode: web mode would fetch lists the server lacks (-32)
    const std::vector<std::string> requests = ContentRequests();
    for (size_t i = before; i < requests.size(); ++i) EXPECT_EQ(requests[i].find(kScenario), std::string::npos) << requests[i];
}

}  // namespace
}  // namespace omni::test
