// omniprobe_host: identifies the machine the way the control does and prints it.
#include <windows.h>

#include <string>

#include "diagnosis/message_catalog.h"
#include "host/console_out.h"
#include "platform/text.h"
#include "probes/effective_ie_version.h"
#include "probes/os_info.h"
#include "probes/version.h"
#include "probes/version_retriever.h"

using omni::host::Print;

namespace {

std::string VersionLine(const char* label, int status, const omni::Version& version) {
    return omni::Format("%-26s %s (status %d)\n", label, version.GetText().c_str(), status);
}

void PrintMachine() {
    omni::COsInfo os;
    int status = os.RetrieveOsInfo();
    Print(omni::Format("%-26s %d \"%s\" (status %d)\n", "Operating system:", os.code, os.GetOsName().c_str(), status));
    Print(omni::Format("%-26s %s", "Service pack:", os.GetServicePackBuildText().c_str()));
    Print(omni::Format("%-26s %d\n", "32-bit on 64-bit Windows:", os.IsWow64));

    omni::CVersionRetriever retriever;
    omni::Version ie("0.0.0.0"), wmp("0.0.0.0"), flash("0.0.0.0");
    int ieStatus = retriever.RetrieveIEVersion(ie);
    Print(VersionLine("Internet Explorer:", ieStatus, ie));
    omni::Version effective("0.0.0.0");
    Print(VersionLine("Internet Explorer (shown):", omni::RetrieveEffectiveIEVersion(retriever, effective), effective));
    Print(VersionLine("Windows Media Player:", retriever.RetrieveWMPVersion(wmp), wmp));
    Print(VersionLine("Flash Player:", retriever.RetrieveFlashVersion(flash), flash));
}

void PrintCatalogue(LANGID language, const char* name) {
    omni::SetCatalogLanguage(language);
    Print(omni::Format("\nCatalogue, %s:\n", name));
    for (UINT id : {104u, 105u, 108u, 116u, 149u, 236u}) {
        std::string text = id == 149 ? omni::FormatMessageWith(149, omni::LoadMessage(147)) : omni::LoadMessage(id);
        Print(omni::Format("  %3u  \"%s\"\n", id, text.c_str()));
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    PrintMachine();
    PrintCatalogue(omni::kLangEnglish, "English");
    PrintCatalogue(omni::kLangKorean, "Korean");
    return 0;
}
