#include "machine/registry_util.h"

#include <vector>

#include "core/result_codes.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {
constexpr DWORD kStringCapacity = 1024;  // characters, terminator included

LONG OpenKey(HKEY root, const std::string& path, REGSAM access, unique_hkey& key) {
    return RegOpenKeyExW(root, Widen(path).c_str(), 0, access, key.addressof());
}
}  // namespace

CRegistryUtil::~CRegistryUtil() = default;

int CRegistryUtil::GetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD& value) {
    unique_hkey key;
    if (OpenKey(root, path, KEY_READ, key) != ERROR_SUCCESS) return kRegistryOpenFailed;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data)) {
        return kRegistryReadFailed;
    }
    value = data;
    return kOk;
}

int CRegistryUtil::SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    unique_hkey key;
    if (OpenKey(root, path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return kRegistryOpenFailed;
    // A refused write is a failure, not a success: the repairs that call this report it as such.
    if (RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value)) != ERROR_SUCCESS) {
        return kRegistryWriteFailed;
    }
    return kOk;
}

int CRegistryUtil::GetStringValue(HKEY root, const std::string& path, const std::string& name, std::string& value) {
    unique_hkey key;
    if (OpenKey(root, path, KEY_READ, key) != ERROR_SUCCESS) return kRegistryOpenFailed;
    std::vector<wchar_t> buffer(kStringCapacity, L'\0');
    DWORD type = 0;
    DWORD size = kStringCapacity * sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS) {
        return kRegistryReadFailed;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return kRegistryReadFailed;
    // The stored data itself must carry the terminator; the zeroed tail of the buffer does not count.
    size_t stored = size / sizeof(wchar_t);
    size_t length = 0;
    while (length < stored && buffer[length] != L'\0') ++length;
    if (length == stored) return kRegistryReadFailed;
    value = Narrow(buffer.data(), length);
    return kOk;
}

LONG CRegistryUtil::CreateSubKey(HKEY root, const std::string& parent, const std::string& child) {
    unique_hkey parentKey;
    if (OpenKey(root, parent, KEY_ALL_ACCESS, parentKey) != ERROR_SUCCESS) return kRegistryOpenFailed;
    unique_hkey childKey;
    return RegCreateKeyExW(parentKey.get(), Widen(child).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, childKey.addressof(), nullptr);
}

int CRegistryUtil::KeyExists(HKEY root, const std::string& path) {
    unique_hkey key;
    return OpenKey(root, path, KEY_READ, key) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace omni
