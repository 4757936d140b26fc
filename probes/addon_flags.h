// The browser's per-user "disabled" switch of one add-on, and the identifier text that names it.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the browser names the subkeys.
std::string AddonIdText(const GUID& id);
// Parses braced identifier text; false when it is not one.
bool ParseAddonId(const std::string& text, GUID& id);

// True exactly when the open add-on key holds "Flags" as REG_DWORD 1. Every other value, type,
// a missing value or a failing read means the add-on is enabled.
bool HasDisabledFlags(HKEY addonKey);

// Opens the Settings subkey of the identifier text for reading and applies HasDisabledFlags.
bool IsAddonDisabled(const std::string& idText);

}  // namespace omni
