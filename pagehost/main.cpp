// omniprobe_page: the page container. Does for one <object> element and one <script> what the browser
// does: creates the control in a window with the page's PARAMs, runs the script with it and delivers the
// control's events to the script.
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "host/console_out.h"
#include "pagehost/page.h"
#include "pagehost/page_options.h"
#include "platform/text.h"

namespace {

// The browser's thread is an OLE apartment: in-place activation and the control's dialogs need it.
class OleSession {
public:
    OleSession() : hr_(OleInitialize(nullptr)) {}
    ~OleSession() {
        if (SUCCEEDED(hr_)) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using omni::host::PrintError;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(omni::Narrow(argv[i]));
    omni::page::PageOptions options = omni::page::ParsePageOptions(args);
    if (options.help || !options.error.empty()) {
        if (!options.error.empty()) PrintError("omniprobe_page: " + options.error + "\n");
        PrintError(omni::page::PageUsage());
        return options.help ? 0 : omni::page::kExitBadArguments;
    }
    OleSession ole;
    if (FAILED(ole.result())) {
        PrintError(omni::Format("omniprobe_page: OLE could not start (0x%08lX)\n", ole.result()));
        return omni::page::kExitNoControl;
    }
    omni::page::Page page(std::move(options));
    return page.Run();
}
