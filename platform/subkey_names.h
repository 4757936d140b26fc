// The names of a key's direct subkeys.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace omni {

// Replaces names with the subkey names of key in enumeration order. Returns ERROR_SUCCESS when the
// walk reached the end, otherwise the status that stopped it (the names read so far are kept).
LONG ListSubkeyNames(HKEY key, std::vector<std::string>& names);

}  // namespace omni
