// Flash Player's global cross-domain permission, read from and written back into its settings file.
#pragma once

#include <string>

namespace omni {

// Results of ReadSetting.
inline constexpr int kFlashAlwaysAllow = 0;
inline constexpr int kFlashAlwaysAsk = 1;
inline constexpr int kFlashAlwaysDeny = 2;
inline constexpr int kFlashSettingUnknown = 3;

inline constexpr char kFlashAllowName[] = "crossdomainAllow";
inline constexpr char kFlashAlwaysName[] = "crossdomainAlways";

// The settings file below an application-data folder; "" when the folder is "".
std::string FlashSettingsPathIn(const std::string& appDataFolder);

// Offset of the value byte of the first occurrence of name (the byte after the name is its type),
// or -1 when the name is absent or its value byte would lie beyond the data.
long long FindFlashValueOffset(const std::string& data, const std::string& name);

class CFlashSecuritySetup {
public:
    CFlashSecuritySetup();  // the current user's roaming application-data folder
    // A stand-in for the application-data folder; "" behaves like a folder that cannot be determined.
    explicit CFlashSecuritySetup(const std::string& appDataFolder);
    virtual ~CFlashSecuritySetup();

    std::string GetSettingsPath();
    // kFlashAlwaysAllow .. kFlashSettingUnknown; fills the fields below.
    int ReadSetting();
    // choice kFlashAlwaysAllow, kFlashAlwaysAsk or kFlashAlwaysDeny; 1 written, 0 not.
    int WriteSetting(int choice);

    int read = 0;
    std::string path;
    long long allowOffset = -1;
    long long alwaysOffset = -1;
    int allow = 0;
    int always = 0;

private:
    bool fixedAppData_ = false;
    std::string appDataFolder_;
};

}  // namespace omni
