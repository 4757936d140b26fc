// Internet Explorer options that the diagnosis compares with fixed values: status-bar updates by
// script, software rendering, and 32-bit tabs on a 64-bit Windows. Checks answer 1 when correct.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

inline constexpr char kInternetZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
inline constexpr char kStatusBarScriptValue[] = "2103";  // URL action: status bar updates through script
inline constexpr char kIEMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char kSoftwareRenderValue[] = "UseSWRender";

class CIESettings {
public:
    virtual ~CIESettings();

    // Leading number of the machine's IE "Version"; IE 10 and 11 report 9 here. 0 when unknown.
    unsigned GetIEMajorVersion();
    // The DWORD under HKCU, or 0 when the key or value is missing or not a REG_DWORD.
    DWORD ReadUserDword(const std::string& key, const std::string& name);
    // Writes under HKCU when the key exists; a missing key is left missing. 0, -22 when the key cannot
    // be opened (or is missing), -23 when the write fails.
    int WriteUserDword(const std::string& key, const std::string& name, DWORD value);

    int CheckStatusBarScript();
    int AllowStatusBarScript();
    int CheckSoftwareRendering();
    int EnableSoftwareRendering();
    // Both run the system's REG command in the 64-bit view through the command runner.
    int CheckIE32BitTabs();
    // 0 when the settings read as set afterwards, else -23: the runner says nothing of the commands' fate.
    int EnableIE32BitTabs();
};

// The leading decimal number of a version text, cut at its first "."; 0 when it has none.
unsigned LeadingMajor(const std::string& versionText);

}  // namespace omni
