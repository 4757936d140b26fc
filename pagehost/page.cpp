#include "pagehost/page.h"

#include <urlmon.h>

#include <vector>

#include "host/console_out.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni::page {

namespace {

const wchar_t kWindowClass[] = L"OmniprobePage";
const UINT_PTR kTimeoutTimer = 1;
const RECT kObjectRect = {10, 10, 110, 60};  // where the page lays out the <object>

bool ReadScript(const std::string& path, std::wstring& code) {
    unique_file file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    code = Widen(bytes);
    return true;
}

// "clsid:XXXXXXXX-..." as the <object> element writes it, a braced CLSID, or a ProgID.
HRESULT ResolveClassId(const std::string& text, CLSID& clsid) {
    std::string id = text;
    if (id.size() > 6 && EqualsNoCase(id.substr(0, 6), "clsid:")) id = id.substr(6);
    if (!id.empty() && id[0] != '{' && id.find('-') == 8) id = "{" + id + "}";
    std::wstring wide = Widen(id);
    return id[0] == '{' ? CLSIDFromString(wide.c_str(), &clsid) : CLSIDFromProgID(wide.c_str(), &clsid);
}

// Arguments of an event copied out of references, in DISPPARAMS order, for the script to keep.
class ArgumentCopy {
public:
    explicit ArgumentCopy(const DISPPARAMS* params) {
        UINT count = params ? params->cArgs : 0;
        values_.resize(count);
        for (UINT i = 0; i < count; ++i) {
            VariantInit(&values_[i]);
            VariantCopyInd(&values_[i], &params->rgvarg[i]);
        }
        params_.rgvarg = values_.empty() ? nullptr : values_.data();
        params_.cArgs = count;
    }
    ~ArgumentCopy() {
        for (VARIANT& v : values_) VariantClear(&v);
    }
    DISPPARAMS* get() { return &params_; }

private:
    std::vector<VARIANT> values_;
    DISPPARAMS params_ = {};
};

bool IsCall(WORD flags) { return (flags & DISPATCH_METHOD) != 0; }
bool IsGet(WORD flags) { return (flags & DISPATCH_PROPERTYGET) != 0; }

HRESULT ReturnObject(VARIANT* result, IDispatch* object) {
    object->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

com_ptr<IDispatch> MakeObject(std::vector<std::pair<std::wstring, ScriptMember>> members) {
    return com_ptr<IDispatch>(new ScriptObject(std::move(members)));
}

}  // namespace

Page::Page(PageOptions options) : options_(std::move(options)) {}

Page::~Page() { TearDown(); }

int Page::Run() {
    for (const std::string& path : options_.includes) {
        std::wstring code;
        if (!ReadScript(path, code)) {
            host::PrintError("omniprobe_page: cannot read the page script " + path + "\n");
            return kExitBadArguments;
        }
        includedCode_.push_back(std::move(code));
    }
    if (!ReadScript(options_.script, code_)) {
        host::PrintError("omniprobe_page: cannot read the page script " + options_.script + "\n");
        return kExitBadArguments;
    }
    if (options_.acceptMessages) answerer_.Start();
    if (!OpenWindow()) {
        host::PrintError("omniprobe_page: cannot open the page window\n");
        return kExitNoControl;
    }
    // The browser names its document by a URL moniker; the control asks its site for it.
    com_ptr<IMoniker> document;
    if (!options_.url.empty()) {
        HRESULT hr = CreateURLMonikerEx(nullptr, Widen(options_.url).c_str(), document.addressof(), URL_MK_UNIFORM);
        if (FAILED(hr)) {
            host::PrintError(Format("omniprobe_page: --url %s is no address (0x%08lX)\n", options_.url.c_str(),
                                    static_cast<unsigned long>(hr)));
            TearDown();
            return kExitBadArguments;
        }
    }
    HRESULT hr = CreateControl(document.get());
    if (FAILED(hr)) {
        host::PrintError(Format("omniprobe_page: the control %s cannot be created (0x%08lX)\n",
                                options_.classId.c_str(), static_cast<unsigned long>(hr)));
        TearDown();
        return kExitNoControl;
    }
    hr = StartScript();
    if (FAILED(hr) && !scriptFailed_) {
        host::PrintError(Format("omniprobe_page: the JScript engine cannot start (0x%08lX)\n",
                                static_cast<unsigned long>(hr)));
        End(kExitScriptError);
    }
    if (!ended_ && options_.timeoutMs > 0) SetTimer(window_.get(), kTimeoutTimer, options_.timeoutMs, nullptr);

    // The browser's thread: dialogs, message boxes and timers of the control and the page run here.
    MSG message;
    while (!ended_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    TearDown();
    return scriptFailed_ ? kExitScriptError : exitCode_;
}

bool Page::OpenWindow() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = CurrentModule();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    window_.reset(CreateWindowExW(0, kWindowClass, Widen(options_.script).c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  480, 320, nullptr, nullptr, CurrentModule(), this));
    return static_cast<bool>(window_);
}

HRESULT Page::CreateControl(IMoniker* document) {
    CLSID clsid;
    HRESULT hr = ResolveClassId(options_.classId, clsid);
    if (FAILED(hr)) return hr;
    ControlCreation how;
    how.activate = options_.createWindow;
    how.params = &options_.params;
    how.document = document;
    hr = host_.Create(window_.get(), clsid, kObjectRect, how);
    if (FAILED(hr)) return hr;
    com_ptr<IDispatch> dispatch;
    hr = host_.control()->QueryInterface(IID_IDispatch, dispatch.put_void());
    if (FAILED(hr)) return hr;
    item_.reset(new ControlItem(std::move(dispatch), [this](const std::wstring& eventName, IDispatch* function) {
        function->AddRef();
        boundHandlers_[eventName] = com_ptr<IDispatch>(function);
    }));
    // A control without events is still scriptable; it only never calls the page.
    EventSink::Connect(host_.control(),
                       [this](const std::wstring& eventName, DISPPARAMS* arguments) { OnEvent(eventName, arguments); },
                       sink_);
    return S_OK;
}

std::vector<std::pair<std::wstring, ScriptMember>> Page::WindowMembers(com_ptr<IDispatch> document) {
    com_ptr<IDispatch> location = MakeObject({
        {L"search", [this](WORD flags, const std::vector<VARIANT*>&, VARIANT* result) -> HRESULT {
             return IsGet(flags) ? ReturnText(result, options_.search) : DISP_E_MEMBERNOTFOUND;
         }},
    });
    auto property = [](com_ptr<IDispatch> object) {
        return [object](WORD flags, const std::vector<VARIANT*>&, VARIANT* result) -> HRESULT {
            return IsGet(flags) ? ReturnObject(result, object.get()) : DISP_E_MEMBERNOTFOUND;
        };
    };
    return {
        {L"alert", [this](WORD flags, const std::vector<VARIANT*>& arguments, VARIANT*) -> HRESULT {
             if (!IsCall(flags)) return DISP_E_MEMBERNOTFOUND;
             MessageBoxW(window_.get(), Widen(ArgumentText(arguments, 0)).c_str(), L"Message from webpage",
                         MB_OK | MB_ICONWARNING);
             return S_OK;
         }},
        {L"close", [this](WORD flags, const std::vector<VARIANT*>& arguments, VARIANT*) -> HRESULT {
             if (!IsCall(flags)) return DISP_E_MEMBERNOTFOUND;
             End(static_cast<int>(ArgumentLong(arguments, 0, 0)));
             return S_OK;
         }},
        {L"setTimeout", [this](WORD flags, const std::vector<VARIANT*>& arguments, VARIANT* result) -> HRESULT {
             if (!IsCall(flags) || arguments.empty()) return DISP_E_BADPARAMCOUNT;
             Timer timer;
             VARIANT* what = arguments[0];
             if (what->vt == VT_DISPATCH && what->pdispVal) {
                 what->pdispVal->AddRef();
                 timer.function.reset(what->pdispVal);
             } else {
                 timer.code = Widen(ArgumentText(arguments, 0));
             }
             UINT_PTR id = nextTimer_++;
             long ms = ArgumentLong(arguments, 1, 0);
             if (!SetTimer(window_.get(), id, static_cast<UINT>(ms > 0 ? ms : 0), nullptr)) return E_FAIL;
             timers_[id] = std::move(timer);
             result->vt = VT_I4;
             result->lVal = static_cast<LONG>(id);
             return S_OK;
         }},
        {L"clearTimeout", [this](WORD flags, const std::vector<VARIANT*>& arguments, VARIANT*) -> HRESULT {
             if (!IsCall(flags)) return DISP_E_MEMBERNOTFOUND;
             UINT_PTR id = static_cast<UINT_PTR>(ArgumentLong(arguments, 0, 0));
             if (timers_.erase(id)) KillTimer(window_.get(), id);
             return S_OK;
         }},
        // The browser shows it in the status bar; here it is a line on standard error.
        {L"status", [this](WORD flags, const std::vector<VARIANT*>& arguments, VARIANT* result) -> HRESULT {
             if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                 status_ = ArgumentText(arguments, 0);
                 host::PrintError(status_ + "\n");
                 return S_OK;
             }
             return IsGet(flags) ? ReturnText(result, status_) : DISP_E_MEMBERNOTFOUND;
         }},
        // What a page does that removes its <object> element; it may do so during one of the control's
        // own calls, from a timer that a dialog's message loop runs.
        {L"removeObject", [this](WORD flags, const std::vector<VARIANT*>&, VARIANT*) -> HRESULT {
             if (!IsCall(flags)) return DISP_E_MEMBERNOTFOUND;
             RemoveObject();
             return S_OK;
         }},
        {L"location", property(location)},
        {L"document", property(document)},
    };
}

HRESULT Page::StartScript() {
    auto write = [](bool line) {
        return [line](WORD flags, const std::vector<VARIANT*>& arguments, VARIANT*) -> HRESULT {
            if (!IsCall(flags)) return DISP_E_MEMBERNOTFOUND;
            std::string text;
            for (size_t i = 0; i < arguments.size(); ++i) text += ArgumentText(arguments, i);
            host::Print(line ? text + "\n" : text);
            return S_OK;
        };
    };
    com_ptr<IDispatch> document = MakeObject({{L"write", write(false)}, {L"writeln", write(true)}});
    windowObject_ = MakeObject(WindowMembers(document));
    std::vector<NamedItem> items;
    // As in the browser, window's members are globals, and document and the object id are names.
    items.push_back(
        {L"window", Shared<IUnknown>(windowObject_.get()), {}, SCRIPTITEM_ISVISIBLE | SCRIPTITEM_GLOBALMEMBERS});
    items.push_back({L"document", Shared<IUnknown>(document.get()), {}, SCRIPTITEM_ISVISIBLE});
    items.push_back({Widen(options_.objectId), Shared<IUnknown>(static_cast<IDispatch*>(item_.get())),
                     ClassInfoOf(host_.control()), SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE});

    HRESULT hr = script_.Start(options_.script, window_.get(), std::move(items), [this](const std::string& report) {
        host::PrintError(report + "\n");
        scriptFailed_ = true;
        End(kExitScriptError);
    });
    if (FAILED(hr)) return hr;
    for (const std::wstring& code : includedCode_) {
        hr = script_.Run(code);
        if (FAILED(hr)) return hr;
    }
    return script_.Run(code_);
}

void Page::OnEvent(const std::wstring& eventName, DISPPARAMS* arguments) {
    if (ended_) return;  // a closed page no longer runs script
    ArgumentCopy copy(arguments);
    // IE's binding for `function id::Event(...)`, then the one it gives VBScript: a global id_Event.
    auto bound = boundHandlers_.find(eventName);
    if (bound != boundHandlers_.end()) {
        com_ptr<IDispatch> function = bound->second;
        script_.Call(function.get(), copy.get());
    }
    if (ended_) return;
    com_ptr<IDispatch> global = script_.GlobalFunction(Widen(options_.objectId) + L"_" + eventName);
    if (global) script_.Call(global.get(), copy.get());
}

void Page::OnTimer(UINT_PTR id) {
    KillTimer(window_.get(), id);
    if (id == kTimeoutTimer) {
        host::PrintError(Format("omniprobe_page: the page did not close within %lu ms\n", options_.timeoutMs));
        End(kExitTimeout);
        return;
    }
    auto found = timers_.find(id);
    if (found == timers_.end() || ended_) return;
    Timer timer = std::move(found->second);
    timers_.erase(found);
    if (timer.function)
        script_.Call(timer.function.get(), nullptr);
    else
        script_.Run(timer.code);
}

// The control is deactivated, closed and let go of, as the browser leaves a removed element; the
// script's name for it stays, and answers nothing from then on.
void Page::RemoveObject() {
    boundHandlers_.clear();
    if (sink_) sink_->Disconnect();
    sink_.reset();
    if (item_) item_->Forget();
    item_.reset();
    host_.Destroy();
}

void Page::End(int exitCode) {
    if (ended_) return;
    ended_ = true;
    exitCode_ = exitCode;
    // Wakes the loop, and any modal loop of the control's, which passes the quit on.
    PostQuitMessage(exitCode);
}

void Page::TearDown() {
    for (auto& timer : timers_) KillTimer(window_.get(), timer.first);
    timers_.clear();
    boundHandlers_.clear();
    if (sink_) sink_->Disconnect();
    sink_.reset();
    script_.Close();
    RemoveObject();  // deactivated, closed and released, as the browser leaves a page
    windowObject_.reset();
    window_.reset();
}

LRESULT CALLBACK Page::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing thrown may leave a window procedure.
    try {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* page = reinterpret_cast<Page*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (page && message == WM_TIMER) {
            page->OnTimer(wParam);
            return 0;
        }
        if (page && message == WM_CLOSE) {  // the user closed the browser window
            page->End(0);
            return 0;
        }
    } catch (...) {
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace omni::page
