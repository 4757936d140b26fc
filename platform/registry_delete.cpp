#include "platform/registry_delete.h"

#include <vector>

#include "platform/handles.h"
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

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        LONG rc = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) names.emplace_back(name, length);
    }
    return names;
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
            for (const std::wstring& child : SubkeyNames(key.get())) DeleteRegistryTree(key.get(), Narrow(child));
        }
    }
    return DeleteRegistryKey(parent, name);
}

}  // namespace omni
