// omniprobe_host: diagnoses this PC the way the control does in local mode and prints the report.
#include <windows.h>

#include <string>
#include <vector>

#include "core/module_state.h"
#include "diagnosis/total_info.h"
#include "host/console_out.h"
#include "host/control_setup.h"
#include "host/host_options.h"
#include "host/xml_indent.h"
#include "machine/folder_mng.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "report/xml_writer.h"

using omni::host::Print;
using omni::host::PrintError;

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(omni::Narrow(argv[i]));
    omni::host::HostOptions options = omni::host::ParseHostOptions(args);
    if (options.help || !options.error.empty()) {
        if (!options.error.empty()) PrintError("omniprobe_host: " + options.error + "\n");
        PrintError(omni::host::HostUsage());
        return options.help ? 0 : 2;
    }

    omni::com_init com;
    if (FAILED(com.result())) {
        PrintError(omni::Format("omniprobe_host: COM could not start (0x%08lX)\n", com.result()));
        return 1;
    }
    int status = omni::host::SetUpLikeTheControl(options.lang, options.installMode, options.admin);
    if (status != 0) {
        PrintError(omni::Format("omniprobe_host: folder set-up failed (%d)\n", status));
        return 1;
    }

    omni::CTotalInfo info;
    int run = info.Run();
    // A stopped run still has a report: the basic group says why.
    int built = options.savePath.empty() ? BuildReport(info) : SaveReport(info, options.savePath);
    PrintError(omni::Format("run %d (run state %d), report %d, administrator %d, folder %s\n", run,
                            info.GetRunState(), built, omni::GetModuleState().isAdmin ? 1 : 0,
                            omni::GetFolderMng().GetLocalBaseFolder().c_str()));
    if (built != 0) return 1;
    Print(options.raw ? info.GetReportText() + "\n" : omni::host::IndentXml(info.GetReportText()));
    return 0;
}
