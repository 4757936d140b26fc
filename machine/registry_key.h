// One registry key kept open across several reads or writes; closed on Close and on destruction.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace omni {

class CRegistryKey {
public:
    virtual ~CRegistryKey();

    // Both return the system status. Opening again without Close first closes the previous key.
    LONG OpenRead(HKEY root, const std::string& path);
    LONG OpenWrite(HKEY root, const std::string& path);
    // Reads the value whatever its length (a toolbar's server path may pass 100 characters).
    // The type is not looked at; the text ends at the first zero character.
    LONG QueryString(const std::string& name, std::string& value);
    // Writes REG_SZ with its terminating zero; system status.
    LONG SetString(const std::string& name, const std::string& text);
    // Replaces names with the value names in enumeration order; returns the count the key reports,
    // 0 when the key cannot be queried.
    DWORD ListValueNames(std::vector<std::string>& names);
    void Close();

    const std::string& path() const { return path_; }
    HKEY handle() const { return key_.get(); }  // null when closed

private:
    LONG Open(HKEY root, const std::string& path, REGSAM access);

    unique_hkey key_;
    std::string path_;
};

}  // namespace omni
