#include "control/browser_window.h"

#include <windows.h>
#include <exdisp.h>

#include <cstring>

#include "core/web_address.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

const CLSID kClsidInternetExplorer = {0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A VT_ARRAY | VT_UI1 holding the body, as the browser wants post data.
HRESULT PostData(const std::string& body, unique_variant& out) {
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(body.size()));
    if (!bytes) return E_OUTOFMEMORY;
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(bytes, &data))) {
        if (!body.empty()) std::memcpy(data, body.data(), body.size());
        SafeArrayUnaccessData(bytes);
    }
    VARIANT* v = out.addressof();
    V_VT(v) = VT_ARRAY | VT_UI1;
    V_ARRAY(v) = bytes;
    return S_OK;
}

HRESULT BstrVariant(const std::string& text, unique_variant& out) {
    VARIANT* v = out.addressof();
    V_BSTR(v) = SysAllocString(Widen(text).c_str());
    if (!V_BSTR(v)) return E_OUTOFMEMORY;
    V_VT(v) = VT_BSTR;
    return S_OK;
}

}  // namespace

long OpenBrowserWindow(const BrowserWindowRequest& request) {
    if (!IsWebAddress(request.url)) return E_INVALIDARG;  // no window for any other scheme
    com_ptr<IWebBrowser2> browser;
    HRESULT hr = CoCreateInstance(kClsidInternetExplorer, nullptr, CLSCTX_LOCAL_SERVER, IID_IWebBrowser2,
                                  browser.put_void());
    if (FAILED(hr)) return hr;
    browser->put_Width(request.width);
    browser->put_Height(request.height);
    browser->put_ToolBar(0);
    browser->put_MenuBar(VARIANT_FALSE);
    browser->put_Resizable(VARIANT_FALSE);
    browser->put_AddressBar(VARIANT_FALSE);
    browser->put_StatusBar(VARIANT_FALSE);
    browser->put_Visible(VARIANT_TRUE);
    SHANDLE_PTR window = 0;
    if (SUCCEEDED(browser->get_HWND(&window)) && window) SetForegroundWindow(reinterpret_cast<HWND>(window));

    unique_bstr url(SysAllocString(Widen(request.url).c_str()));
    if (!url) return E_OUTOFMEMORY;
    unique_variant flags, frame, postData, headers;
    if (FAILED(hr = BstrVariant("_top", frame)) || FAILED(hr = BstrVariant(kFormContentType, headers))) return hr;
    if (request.post && FAILED(hr = PostData(request.body, postData))) return hr;
    return browser->Navigate(url.get(), flags.get(), frame.get(), postData.get(), headers.get());
}

}  // namespace omni
