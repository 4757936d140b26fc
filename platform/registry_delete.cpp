#include "platform/registry_delete.h"

#include <vector>

#include "platform/handles.h"
#include "platform/subkey_names.h"
#include "platform/text.h"

namespace omni {

namespace {
using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);

// Windows XP has no RegDeleteKeyExW, so it is looked up rather than imported.
DeleteKeyExFn FindDeleteKeyEx() {
    HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    if (!advapi) return nullptr;
    return reinterpret_cast<DeleteKeyExFn>(GetProcAddress(advapi, "RegDeleteKeyExW"));
}

}  // namespace

LONG DeleteRegistryKey(HKEY parent, const std::string& name) {
    // An empty name would mean the parent itself.
    if (name.empty()) return ERROR_INVALID_PARAMETER;
    std::wstring wide = Widen(name);
    static const DeleteKeyExFn deleteKeyEx = FindDeleteKeyEx();
    if (deleteKeyEx) return deleteKeyEx(parent, wide.c_str(), 0, 0);
    return RegDeleteKeyW(parent, wide.c_str());
}

LONG DeleteRegistryTree(HKEY parent, const std::string& name) {
    if (name.empty()) return ERROR_INVALID_PARAMETER;
    {
        unique_hkey key;
        if (RegOpenKeyExW(parent, Widen(name).c_str(), 0, KEY_READ, key.addressof()) == ERROR_SUCCESS) {
            // Names are gathered first: deleting while enumerating shifts the indexes.
            std::vector<std::string> children;
            ListSubkeyNames(key.get(), children);
            for (const std::string& child : children) DeleteRegistryTree(key.get(), child);
        }
    }
    return DeleteRegistryKey(parent, name);
}

}  // namespace omni
