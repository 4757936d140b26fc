#include "control/sample_content.h"

#include <windows.h>

#include "control/information_box.h"
#include "core/message_catalog.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "core/web_address.h"
#include "machine/folder_mng.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "probes/os_info.h"

namespace omni {

namespace {

constexpr char kViewerFailedText[] = "ERROR: Cannot launch viewer process\n";

int StartViewer(const std::string& path) {
    std::wstring application = Widen(path);
    std::wstring commandLine = Widen(QuotedCommandLine(path));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    // The application name as well: the system then runs exactly that file and searches nothing.
    if (!CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ShowInformationBox(kViewerFailedText);
        return kSubprocessFailed;
    }
    unique_handle owned(process.hProcess), thread(process.hThread);  // the viewer runs on without us
    return kOk;
}

}  // namespace

std::string ViewerPath(const std::string& localBaseFolder, long zentraVersion) {
    return localBaseFolder + (zentraVersion == 3 ? "Z3Sample\\" : "Z4Sample\\") + "viewer.exe";
}

std::string QuotedCommandLine(const std::string& programPath) { return "\"" + programPath + "\""; }

BrowserWindowRequest SamplePageWindow(int osCode, long zentraVersion, const std::string& z4Url, const std::string& z3Url) {
    BrowserWindowRequest request;
    const bool z4 = zentraVersion == 4;
    request.url = z4 ? z4Url : z3Url;
    request.width = osCode >= kFirstVistaOsCode && z4 ? 1035 : 1045;
    request.height = !z4 ? 764 : osCode >= kFirstVistaOsCode ? 640 : 650;
    return request;
}

int CSampleContent::Show(long zentraVersion, int osCode) {
    const CFolderMng& folders = GetFolderMng();
    switch (folders.GetInstallMode()) {
    case kInstallModeLocal:
    case kInstallModeLocalLinks:
        return StartViewer(ViewerPath(folders.GetLocalBaseFolder(), zentraVersion));
    case kInstallModeWeb: {
        BrowserWindowRequest request = SamplePageWindow(osCode, zentraVersion, folders.GetSampleZ4Url(), folders.GetSampleZ3Url());
        // No page published yet, or the page's ServerURL was not a web address.
        if (!IsWebAddress(request.url)) return kFileMissing;
        if (osCode == 0) {  // no diagnosis yet: identify the system now
            COsInfo os;
            if (os.RetrieveOsInfo() == 0) osCode = os.code;
        }
        request = SamplePageWindow(osCode, zentraVersion, folders.GetSampleZ4Url(), folders.GetSampleZ3Url());
        OpenBrowserWindow(request);
        return kOk;
    }
    default:
        return kOk;
    }
}

}  // namespace omni
