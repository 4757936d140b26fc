// Registry key deletion that names the registry view where the system can.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

// Deletes the subkey name of parent (it must have no subkeys) in the default view, through
// RegDeleteKeyExW when advapi32 offers it and RegDeleteKeyW otherwise. Returns the system status;
// an empty name is refused with ERROR_INVALID_PARAMETER rather than taken as the parent.
LONG DeleteRegistryKey(HKEY parent, const std::string& name);

// Deletes name together with every subkey below it, each through DeleteRegistryKey.
LONG DeleteRegistryTree(HKEY parent, const std::string& name);

}  // namespace omni
