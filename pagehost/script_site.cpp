#include "pagehost/script_site.h"

#include <new>

#include "hosting/com_edge.h"
#include "platform/text.h"

namespace omni::page {

class ScriptSite final : public IActiveScriptSite, public IActiveScriptSiteWindow {
public:
    ScriptSite(std::string fileName, HWND window, std::vector<NamedItem> items, ScriptErrorHandler onError)
        : fileName_(std::move(fileName)), window_(window), items_(std::move(items)), onError_(std::move(onError)) {}

    const std::vector<NamedItem>& items() const { return items_; }
    int errorsReported() const { return errors_; }

    // An error the engine returned to us instead of telling the site about it.
    void Report(HRESULT hr, const EXCEPINFO& info) {
        std::string message = info.bstrDescription ? Narrow(info.bstrDescription) : "";
        if (message.empty()) message = Format("error 0x%08lX", static_cast<unsigned long>(info.scode ? info.scode : hr));
        ++errors_;
        if (onError_) onError_(Format("%s: %s", fileName_.c_str(), message.c_str()));
    }
    void Forget() {
        items_.clear();
        onError_ = nullptr;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveScriptSite))
            *out = static_cast<IActiveScriptSite*>(this);
        else if (IsEqualIID(iid, IID_IActiveScriptSiteWindow))
            *out = static_cast<IActiveScriptSiteWindow*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IActiveScriptSite
    STDMETHODIMP GetLCID(LCID* locale) override {
        if (!locale) return E_POINTER;
        *locale = 0;
        return E_NOTIMPL;  // the engine uses the user's locale, as in the browser
    }

    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** object, ITypeInfo** typeInfo) override {
        if (object) *object = nullptr;
        if (typeInfo) *typeInfo = nullptr;
        if (!name) return E_INVALIDARG;
        return ComEdge([&]() -> HRESULT {
            for (const NamedItem& item : items_) {
                if (item.name != name) continue;
                if ((mask & SCRIPTINFO_ITYPEINFO) && typeInfo && item.typeInfo) {
                    item.typeInfo->AddRef();
                    *typeInfo = item.typeInfo.get();
                }
                if ((mask & SCRIPTINFO_IUNKNOWN) && object) {
                    item.object->AddRef();
                    *object = item.object.get();
                }
                return S_OK;
            }
            return TYPE_E_ELEMENTNOTFOUND;
        });
    }

    STDMETHODIMP GetDocVersionString(BSTR* version) override {
        if (version) *version = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }

    STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
        if (!error) return E_POINTER;
        return ComEdge([&]() -> HRESULT {
            DWORD context = 0;
            ULONG line = 0;
            LONG column = 0;
            error->GetSourcePosition(&context, &line, &column);
            EXCEPINFO info = {};
            error->GetExceptionInfo(&info);
            if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
            unique_bstr description(info.bstrDescription), source(info.bstrSource), help(info.bstrHelpFile);
            std::string message = description.get() ? Narrow(description.get()) : "";
            if (message.empty()) message = Format("error 0x%08lX", static_cast<unsigned long>(info.scode));
            ++errors_;
            if (onError_)
                onError_(Format("%s:%lu:%ld: %s", fileName_.c_str(), line + 1, column + 1, message.c_str()));
            return S_OK;
        });
    }

    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

    // IActiveScriptSiteWindow: the engine's own dialogs belong to the page window.
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

private:
    ~ScriptSite() = default;

    LONG references_ = 1;
    int errors_ = 0;
    std::string fileName_;
    HWND window_;
    std::vector<NamedItem> items_;
    ScriptErrorHandler onError_;
};

PageScript::PageScript() = default;

PageScript::~PageScript() { Close(); }

HRESULT PageScript::Start(const std::string& fileName, HWND window, std::vector<NamedItem> items,
                          ScriptErrorHandler onError) {
    Close();
    CLSID jscript;
    HRESULT hr = CLSIDFromProgID(L"JScript", &jscript);
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(jscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine_.put_void());
    if (FAILED(hr)) return hr;
    hr = engine_.query(parser_, __uuidof(IActiveScriptParse));
    if (FAILED(hr)) return hr;
    site_.reset(new (std::nothrow) ScriptSite(fileName, window, std::move(items), std::move(onError)));
    if (!site_) return E_OUTOFMEMORY;
    hr = engine_->SetScriptSite(site_.get());
    if (SUCCEEDED(hr)) hr = parser_->InitNew();
    for (const NamedItem& item : site_->items())
        if (SUCCEEDED(hr)) hr = engine_->AddNamedItem(item.name.c_str(), item.flags);
    // Connected: global code runs as soon as it is parsed, and events may call into the script.
    if (SUCCEEDED(hr)) hr = engine_->SetScriptState(SCRIPTSTATE_CONNECTED);
    return hr;
}

HRESULT PageScript::Run(const std::wstring& code) {
    if (!parser_) return E_UNEXPECTED;
    EXCEPINFO info = {};
    int before = site_->errorsReported();
    HRESULT hr = parser_->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                          SCRIPTTEXT_ISVISIBLE, nullptr, &info);
    if (FAILED(hr) && site_->errorsReported() == before) site_->Report(hr, info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

com_ptr<IDispatch> PageScript::GlobalFunction(const std::wstring& name) const {
    com_ptr<IDispatch> global;
    if (!engine_ || FAILED(engine_->GetScriptDispatch(nullptr, global.addressof())) || !global) return {};
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(global->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
    unique_variant value;
    DISPPARAMS none = {};
    if (FAILED(global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.get(), nullptr,
                              nullptr)))
        return {};
    if (value.get()->vt != VT_DISPATCH || !value.get()->pdispVal) return {};
    IDispatch* function = value.get()->pdispVal;
    function->AddRef();
    return com_ptr<IDispatch>(function);
}

HRESULT PageScript::Call(IDispatch* function, DISPPARAMS* arguments) const {
    if (!function) return E_POINTER;
    DISPPARAMS none = {};
    unique_variant result;
    EXCEPINFO info = {};
    int before = site_ ? site_->errorsReported() : 0;
    HRESULT hr = function->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                  arguments ? arguments : &none, result.get(), &info, nullptr);
    if (FAILED(hr) && site_ && site_->errorsReported() == before) site_->Report(hr, info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

void PageScript::Close() {
    if (engine_) {
        engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED);
        engine_->Close();
    }
    parser_.reset();
    engine_.reset();
    // The site may outlive the engine in someone's hands; it lets go of the page's objects now.
    if (site_) site_->Forget();
    site_.reset();
}

}  // namespace omni::page
