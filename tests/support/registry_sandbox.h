// Points HKCU, HKLM and HKCR of this process at scratch keys for one test, then restores them.
// Code in other processes (reg.exe through Tarrow) still sees the real prefix registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace omni::test {

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

private:
    std::wstring scratch_;  // below the real HKCU\Software
    unique_hkey hkcu_, hklm_, hkcr_;
};

// Small registry writers and readers for arranging and checking tests.
void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value,
               DWORD type = REG_SZ, REGSAM view = 0);
void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value, REGSAM view = 0);
void CreateKey(HKEY root, const std::string& path, REGSAM view = 0);
void DeleteTree(HKEY root, const std::string& path, REGSAM view = 0);
bool KeyPresent(HKEY root, const std::string& path, REGSAM view = 0);
bool ValuePresent(HKEY root, const std::string& path, const std::string& name, REGSAM view = 0);
bool ReadDword(HKEY root, const std::string& path, const std::string& name, DWORD& value, REGSAM view = 0);
bool ReadString(HKEY root, const std::string& path, const std::string& name, std::string& value,
                DWORD* type = nullptr, REGSAM view = 0);
// Raw bytes of any type, for values no well-behaved writer would produce.
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
std::vector<std::string> SubkeysOf(HKEY root, const std::string& path);  // in enumeration order; none if missing
DWORD ValueCountOf(HKEY root, const std::string& path);                  // 0 when the key is missing

}  // namespace omni::test
