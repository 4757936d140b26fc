// The system's JScript engine running one page script, and the site through which it finds the page's
// named items (the control under its object id, window, document) and reports its errors.
#pragma once

#include <windows.h>
#include <activscp.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace omni::page {

struct NamedItem {
    std::wstring name;
    com_ptr<IUnknown> object;
    com_ptr<ITypeInfo> typeInfo;  // may be null
    DWORD flags = SCRIPTITEM_ISVISIBLE;
};

// Receives "file:line:column: message" of a script error.
using ScriptErrorHandler = std::function<void(const std::string& report)>;

class ScriptSite;

class PageScript {
public:
    PageScript();
    ~PageScript();
    PageScript(const PageScript&) = delete;
    PageScript& operator=(const PageScript&) = delete;

    // Creates the engine ("JScript") and adds the named items; window owns the engine's dialogs.
    HRESULT Start(const std::string& fileName, HWND window, std::vector<NamedItem> items,
                  ScriptErrorHandler onError);

    // Runs code as one script block; its functions stay defined for later calls.
    HRESULT Run(const std::wstring& code);

    // The script's global function name, or null when the page has none.
    com_ptr<IDispatch> GlobalFunction(const std::wstring& name) const;

    // Calls a script function with arguments in DISPPARAMS order (last first).
    HRESULT Call(IDispatch* function, DISPPARAMS* arguments) const;

    void Close();

private:
    com_ptr<IActiveScript> engine_;
    com_ptr<IActiveScriptParse> parser_;
    com_ptr<ScriptSite> site_;
};

}  // namespace omni::page
