#include "control/retrieve_flow.h"

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "core/web_address.h"
#include "diagnosis/total_info.h"
#include "install/dlg_down.h"
#include "install/source_file.h"
#include "machine/component_identity.h"
#include "machine/folder_mng.h"
#include "machine/locked_file.h"
#include "machine/private_folder.h"
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

// This object's downloads, Flash page and sample pages take their addresses from here, so only a web
// address gets here; any other leaves none, rather than the one an earlier call published.
void PublishAddresses(const ControlState& state) {
    CFolderMng& folders = GetFolderMng();
    const std::string base = IsWebAddress(state.serverUrl) ? state.serverUrl : std::string();
    folders.SetServerUrl(base);
    bool english = EqualsNoCase(state.lang, "eng");
    folders.SetSamplePages(base.empty() ? base : base + (english ? "Z4SampleEng/default.htm" : "Z4Sample/default.htm"),
                           base.empty() ? base : base + (english ? "Z3SampleEng/default.htm" : "Z3Sample/default.htm"));
}

bool IsWebMode() { return GetFolderMng().GetInstallMode() == kInstallModeWeb; }

// 0, or the code to stop with; the caller fires the empty report, also when the installer could not run,
// so that a page waiting for its event is never left without one.
int InstallParser(RetrieveUi& ui) {
    const int consent = ui.ConfirmParserInstall();
    if (consent != kOk) return consent;
    SourceFile installer;
    if (!installer.Provide("Installer/", GetFolderMng().GetInstallerFolder(), kParserInstaller)) return kDownloadFailed;
    // Held until the installer has ended: what runs is what was checked. A refused one is not run; one
    // whose version resource names another file is not the parser's installer.
    LockedFile held;
    int status = OpenTrustedFile(installer.path(), held);
    if (status == kOk) status = CheckInstallerIdentity(held, kParserInstaller);
    if (status != kOk) return status == kFileMissing ? kSubprocessFailed : status;
    unsigned long exitCode = 0;
    status = CProgramExecuter().RunInstaller(installer.path(), "/Q", exitCode);
    if (status != kOk) return status;
    if (InstallerSucceeded(exitCode)) return kOk;
    LogInstallerFailure(kParserInstaller, exitCode);
    return kInstallerFailed;
}

// The four lists land in a folder of this object's own, made at the first fetch and removed with the
// object: another object's lists, or a file planted in the temporary folder, are never read as its own.
int DownloadLists(ControlState& state) {
    if (!IsWebMode() || state.listsDownloaded) return kOk;
    CFolderMng& folders = GetFolderMng();
    if (!state.listFolder) {
        auto folder = std::make_shared<PrivateFolder>();
        if (!folder->Create(folders.GetTempFolder())) return kListDownloads[0].failure;
        state.listFolder = folder;
        folders.SetListFolder(folder->path());
    }
    CDlgDown download;
    for (const ListDownload& list : kListDownloads) {
        download.SetSource(folders.GetServerUrl() + list.urlPart + list.file, state.listFolder->path() + list.file);
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
