#include "machine/self_registration.h"

#include "core/result_codes.h"
#include "machine/program_executer.h"

namespace omni {

namespace {
// regsvr32's exit codes, the same on every Windows since NT.
constexpr unsigned long kRegsvrLoadFailed = 3;
constexpr unsigned long kRegsvrNoEntryPoint = 4;
}  // namespace

int RegisterInOwnProcess(const std::string& path, EntryPoint entryPoint) {
    // A 32-bit caller is given the 32-bit system folder, so this is the 32-bit regsvr32 on 64-bit Windows too.
    unsigned long exitCode = 0;
    int started = CProgramExecuter().Run(SystemFolderWithBackslash() + "regsvr32.exe", "/s \"" + path + "\"", exitCode);
    if (started != kOk) return started;
    if (exitCode == 0) return kOk;
    if (exitCode == kRegsvrLoadFailed) return kDllLoadFailed;
    if (exitCode == kRegsvrNoEntryPoint && entryPoint == EntryPoint::kOptional) return kOk;
    return kRegisterFailed;
}

}  // namespace omni
