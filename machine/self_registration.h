// A module's own self-registration, run by the system's 32-bit regsvr32 in a process of its own: a
// module already loaded here under the same path (the old copy the diagnosis just created) would
// otherwise answer in the new one's place.
#pragma once

#include <string>

namespace omni {

enum class EntryPoint { kRequired, kOptional };

// kOk; kDllLoadFailed when the module does not load; kRegisterFailed when its DllRegisterServer failed,
// or is missing and required; kSubprocessFailed when regsvr32 could not be started.
int RegisterInOwnProcess(const std::string& path, EntryPoint entryPoint);

}  // namespace omni
