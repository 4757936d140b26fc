#include "machine/registry_key.h"

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
    value.clear();
    const std::wstring wideName = Widen(name);
    DWORD size = 0;
    LONG status = RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, nullptr, nullptr, &size);
    // A value that grows between asking its size and reading it is read again, a few times at most.
    for (int attempt = 0; attempt < 3 && status == ERROR_SUCCESS; ++attempt) {
        // One spare zero character keeps the text terminated when the data carries no terminator.
        std::wstring buffer((size + 1) / sizeof(wchar_t) + 1, L'\0');
        DWORD capacity = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        status = RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer[0]),
                                  &capacity);
        if (status == ERROR_MORE_DATA) {
            size = capacity;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status == ERROR_SUCCESS) value = Narrow(std::wstring(buffer.c_str()));
        return status;
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
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
