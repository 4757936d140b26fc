// Single registry values read and written by root, key path and value name.
// The key is opened and closed inside every call; failures come back as the shared codes.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

class CRegistryUtil {
public:
    virtual ~CRegistryUtil();

    // 0; -22 when the key does not open for reading; -21 when the value is missing or not REG_DWORD
    // (the output is then left as it was).
    int GetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD& value);
    // 0 once the key opens with full access; -22 otherwise. A missing key is never created.
    int SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD value);
    // REG_SZ or REG_EXPAND_SZ, unexpanded, at most 1023 characters plus the terminator.
    // 0; -22 key; -21 missing, wrong type, unterminated or too long.
    int GetStringValue(HKEY root, const std::string& path, const std::string& name, std::string& value);
    // -22 when the parent does not open with full access, else the system status of creating the child.
    LONG CreateSubKey(HKEY root, const std::string& parent, const std::string& child);
    // 1 when the key opens for reading, else 0.
    int KeyExists(HKEY root, const std::string& path);
};

}  // namespace omni
