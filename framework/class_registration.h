// Self-registration of an in-process server: class keys, program identifiers and the type library
// held as resource "TYPELIB" 1 of the module.
#pragma once

#include <windows.h>

#include <string>

namespace omni::fw {

struct ClassRegistration {
    const CLSID* clsid = nullptr;
    std::string progId;
    std::string typeName;
    // Only for controls: misc status, toolbox bitmap and type library reference are written when set.
    bool isControl = false;
    DWORD miscStatus = 0;
    int toolboxBitmap = 0;
    const GUID* libid = nullptr;
    std::string libVersion;  // "1.0"
};

std::string GuidText(const GUID& guid);  // upper-case and braced

// Writes the class under HKEY_CLASSES_ROOT for the module at modulePath; false when a key fails.
bool RegisterClassKeys(const ClassRegistration& entry, const std::string& modulePath);
// Removes the class and program identifier keys; keys already gone count as removed.
bool UnregisterClassKeys(const ClassRegistration& entry);

HRESULT RegisterModuleTypeLib(const std::string& modulePath);
HRESULT UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor, LCID locale);

}  // namespace omni::fw
