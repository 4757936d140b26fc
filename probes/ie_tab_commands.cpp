#include "probes/ie_tab_commands.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/text.h"
#include "probes/runner_log.h"
#include "probes/tarrow.h"

namespace omni {

namespace {
const char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
}  // namespace

std::string TabProcGrowthQueryCommand(const std::string& root) {
    return Format("REG QUERY <path>%s\\%s<path> /v %s /t REG_DWORD", root.c_str(), kMainKey, kTabProcGrowthValue);
}

std::string X86AppPathQueryCommand() {
    return Format("REG QUERY <path>%s\\%s<path> /v %s /t REG_SZ", kMachineRoot, kMainKey, kX86AppPathValue);
}

std::string TabProcGrowthDeleteCommand(const std::string& root) {
    return Format("REG DELETE <path>%s\\%s<path> /v %s /f", root.c_str(), kMainKey, kTabProcGrowthValue);
}

std::string X86AppPathAddCommand(const std::string& iexplorePath) {
    return Format("REG ADD <path>%s\\%s<path> /v %s /t REG_SZ /d <path>%s<path> /f", kMachineRoot, kMainKey,
                  kX86AppPathValue, iexplorePath.c_str());
}

std::string Iexplore32Path() {
    wchar_t folder[MAX_PATH] = {};
    // Without CSIDL_FLAG_CREATE: the folder is named, never made.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
        folder[0] == L'\0')
        return std::string();
    return Format("%s\\Internet Explorer\\IEXPLORE.EXE", Narrow(std::wstring(folder)).c_str());
}

void RunRegistryCommand(const std::string& command) {
    std::string log = NewRunnerLogPath();
    if (log.empty()) return;
    CTarrow().Run(command, log);
}

bool QueryFindsValue(const std::string& queryCommand, const std::string& valueName) {
    std::string log = NewRunnerLogPath();
    if (log.empty()) return false;
    CTarrow().Run(queryCommand, log);
    std::string text;
    if (!ReadAndDeleteLog(log, text)) return false;
    // A query that finds nothing answers with an error text that does not name the value.
    return text.find(valueName) != std::string::npos;
}

}  // namespace omni
