#include "control/retrieve_flow.h"

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "core/web_address.h"
#include "diagnosis/total_info.h"
#include "install/dlg_down.h"
#include "machine/folder_mng.h"
#include "machine/locked_file.h"
#include "machine/program_executer.h"
#include "machine/publisher_trust.h"
#include "platform/text.h"
#include "report/xml_writer.h"

namespace omni {

namespace {

constexpr UINT kDllListText = 256;
constexpr UINT kOcxListText = 257;
constexpr char kParserInstaller[] = "msxml3.exe";

struct ListDownload {
    const char* file;
    const char* urlPart;
    UINT statusText;
    int failure;
};

// The order matters to the page: a failure names the first list that could not be fetched.
constexpr ListDownload kListDownloads[] = {
    {"dlllist2000.txt", "DLL/", kDllListText, kDllListMissing},
    {"dlllist98.txt", "DLL/", kDllListText, kDllListMissing},
    {"ocxlistz3.txt", "Z3OCX/", kOcxListText, kOcxListMissing},
    {"ocxlistz4.txt", "Z4OCX/", kOcxListText, kOcxListMissing},
};

// Downloads, the Flash page and the sample pages take their addresses from here, so only a web address
// gets here; any other leaves none, rather than the one an earlier page published.
void PublishAddresses(const ControlState& state) {
    ModuleState& module = GetModuleState();
    const std::string base = IsWebAddress(state.serverUrl) ? state.serverUrl : std::string();
    module.serverUrl = base;
    GetFolderMng().SetServerUrl(base);
    bool english = EqualsNoCase(state.lang, "eng");
    module.sampleZ4Url = base.empty() ? base : base + (english ? "Z4SampleEng/default.htm" : "Z4Sample/default.htm");
    module.sampleZ3Url = base.empty() ? base : base + (english ? "Z3SampleEng/default.htm" : "Z3Sample/default.htm");
}

bool IsWebMode() { return GetModuleState().installMode == kInstallModeWeb; }

// 0, or the code to stop with; the caller fires the empty report, also when the installer could not run,
// so that a page waiting for its event is never left without one.
int InstallParser(RetrieveUi& ui) {
    const int consent = ui.ConfirmParserInstall();
    if (consent != kOk) return consent;
    if (IsWebMode()) {
        CDlgDown download;
        download.SetSource("Installer/", kParserInstaller);
        download.SetDisplayName(kParserInstaller);
        if (!download.Fetch()) return kDownloadFailed;
    }
    const std::string installer = GetFolderMng().GetInstallerFolder() + kParserInstaller;
    // Held until the installer has ended: what runs is what was checked. A refused one is not run.
    LockedFile held;
    int status = OpenTrustedSource(installer, held);
    if (status != kOk) return status == kFileMissing ? kSubprocessFailed : status;
    // Quoted: the installer folder may be under a user profile whose name holds a blank.
    return CProgramExecuter().Execute("\"" + installer + "\" /Q");
}

int DownloadLists(ControlState& state) {
    if (!IsWebMode() || state.listsDownloaded) return kOk;
    CDlgDown download;
    for (const ListDownload& list : kListDownloads) {
        download.SetSource(list.urlPart, list.file);
        download.SetDisplayName(LoadMessage(list.statusText));
        if (!download.Fetch()) return list.failure;
    }
    state.listsDownloaded = true;
    return kOk;
}

}  // namespace

int RunRetrieve(ControlState& state, CTotalInfo& info, RetrieveUi& ui) {
    // Before anything is published: a refused server must not serve the repairs either.
    if (IsWebMode() && !ui.ServerAllowed(state.serverUrl)) {
        ui.Deliver(kEmptyReport);
        return kHostNotAllowed;
    }
    PublishAddresses(state);
    if (state.initFailed) {
        ui.Deliver(kEmptyReport);
        return kInitFailed;
    }
    if (state.folderSetup != kOk) {
        ui.Deliver(kEmptyReport);
        return state.folderSetup;
    }
    if (IsWebMode() && !IsWebAddress(state.serverUrl)) {
        ui.Deliver(kEmptyReport);
        return kFileMissing;
    }

    CXmlWriter writer;  // holds COM for the thread until the flow ends
    if (!writer.IsParserInstalled()) {
        int status = InstallParser(ui);
        if (status != kOk) {
            ui.Deliver(kEmptyReport);
            return status;
        }
    }

    int status = DownloadLists(state);
    if (status != kOk) {
        ui.Deliver(kEmptyReport);
        return status;
    }

    info.Run();
    BuildReport(info);
    // A report that could never be composed still answers the page with a well-formed document.
    const std::string& report = info.GetReportText();
    ui.Deliver(report.empty() ? std::string(kEmptyReport) : report);
    return kOk;
}

}  // namespace omni
