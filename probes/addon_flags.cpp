#include "probes/addon_flags.h"

#include <objbase.h>

#include <cctype>

#include "platform/handles.h"
#include "platform/text.h"
#include "probes/addon_keys.h"

namespace omni {

std::string AddonIdText(const GUID& id) {
    std::string text = Format("{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                              static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                              id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

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
