// Flash Player's global cross-domain permission, read from and written back into its settings file.
#pragma once

#include <string>

#include "probes/flash_settings_bytes.h"

namespace omni {

// The settings file below an application-data folder; "" when the folder is "".
std::string FlashSettingsPathIn(const std::string& appDataFolder);

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
