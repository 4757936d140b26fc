#include "probes/addon_flags.h"

#include <objbase.h>

#include "machine/guid_text.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "probes/addon_keys.h"

namespace omni {

std::string AddonIdText(const GUID& id) { return FormatGuid(id); }

bool ParseAddonId(const std::string& text, GUID& id) {
    std::wstring wide = Widen(text);
    // IIDFromString never consults the registry, unlike CLSIDFromString with a program identifier.
    return SUCCEEDED(IIDFromString(wide.c_str(), &id));
}

bool HasDisabledFlags(HKEY addonKey) {
    DWORD type = 0, value = 0, size = sizeof(value);
    std::wstring name = Widen(kAddonFlagsValue);
    if (RegQueryValueExW(addonKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    return type == REG_DWORD && size == sizeof(value) && value == kAddonFlagsDisabled;
}

bool IsAddonDisabled(const std::string& idText) {
    unique_hkey key;
    std::wstring path = Widen(std::string(kAddonSettingsPath) + "\\" + idText);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.addressof()) != ERROR_SUCCESS) return false;
    return HasDisabledFlags(key.get());
}

}  // namespace omni
