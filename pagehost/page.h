// One page: a visible window, the control of its <object> element inside it, the page script with
// window and document objects, the control's events delivered to the script, and the message loop.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "hosting/control_host.h"
#include "pagehost/control_item.h"
#include "pagehost/event_sink.h"
#include "pagehost/message_answerer.h"
#include "pagehost/page_options.h"
#include "pagehost/script_object.h"
#include "pagehost/script_site.h"
#include "platform/handles.h"

namespace omni::page {

class Page {
public:
    explicit Page(PageOptions options);
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Shows the page, runs it until it closes (or times out) and answers the exit code.
    int Run();

private:
    struct Timer {
        com_ptr<IDispatch> function;  // or, when null, code to run
        std::wstring code;
    };

    bool OpenWindow();
    HRESULT CreateControl(IMoniker* document);
    HRESULT StartScript();
    std::vector<std::pair<std::wstring, ScriptMember>> WindowMembers(com_ptr<IDispatch> document);
    void OnEvent(const std::wstring& eventName, DISPPARAMS* arguments);
    void OnTimer(UINT_PTR id);
    void RemoveObject();
    void End(int exitCode);
    void TearDown();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    PageOptions options_;
    std::wstring code_;  // the page script
    std::vector<std::wstring> includedCode_;  // the scripts before it
    MessageAnswerer answerer_;
    unique_hwnd window_;
    ControlHost host_;
    com_ptr<ControlItem> item_;
    com_ptr<EventSink> sink_;
    PageScript script_;
    com_ptr<IDispatch> windowObject_;
    std::map<std::wstring, com_ptr<IDispatch>> boundHandlers_;  // `function id::Event` handlers
    std::map<UINT_PTR, Timer> timers_;
    UINT_PTR nextTimer_ = 100;
    std::string status_;
    bool ended_ = false;
    bool scriptFailed_ = false;
    int exitCode_ = 0;
};

}  // namespace omni::page
