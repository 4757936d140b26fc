#include "install/registry_key.h"

#include "platform/text.h"

namespace omni {

CRegistryKey::~CRegistryKey() = default;

LONG CRegistryKey::Open(HKEY root, const std::string& path, REGSAM access) {
    // The owner closes a key that is still open, so reopening never leaks the first handle.
    Close();
    path_ = path;
    return RegOpenKeyExW(root, Widen(path).c_str(), 0, access, key_.addressof());
}

LONG CRegistryKey::OpenRead(HKEY root, const std::string& path) { return Open(root, path, KEY_READ); }

LONG CRegistryKey::OpenWrite(HKEY root, const std::string& path) { return Open(root, path, KEY_WRITE); }

LONG CRegistryKey::QueryString(const std::string& name, std::string& value) {
    // One spare character beyond the capacity keeps the text terminated even when the value
    // fills the capacity exactly without its own terminator.
    wchar_t buffer[kQueryBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kQueryBytes;
    LONG status = RegQueryValueExW(key_.get(), Widen(name).c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    value = status == ERROR_SUCCESS ? Narrow(std::wstring(buffer)) : std::string();
    return status;
}

LONG CRegistryKey::SetString(const std::string& name, const std::string& text) {
    std::wstring wide = Widen(text);
    return RegSetValueExW(key_.get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

DWORD CRegistryKey::ListValueNames(std::vector<std::string>& names) {
    names.clear();
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    std::wstring name(longestName + 1, L'\0');
    std::string data(longestData + 1, '\0');
    for (DWORD index = 0; index < count; ++index) {
        // Both sizes are in/out: each value shrinks them, so they are reset for every index.
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key_.get(), index, &name[0], &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]),
                          &dataSize) != ERROR_SUCCESS) {
            continue;
        }
        names.push_back(Narrow(name.c_str(), nameSize));
    }
    return count;
}

void CRegistryKey::Close() { key_.reset(); }

}  // namespace omni
