// Vendor pages that the basic rules link to.
#pragma once

#include "resources/links.h"

namespace omni {

inline constexpr char kIe6DownloadPage[] = "http://www.microsoft.com/windows/ie/ie6/downloads/default.mspx";
inline constexpr char kMediaVendorHome[] = OMNI_MEDIA_VENDOR_HOME;
inline constexpr char kFlashVendorHome[] = OMNI_FLASH_VENDOR_HOME;

// Installers that the rules offer through InstallProgram.
inline constexpr char kWmp9Installer[] = "MPSetup98me2000.exe";
inline constexpr char kWmp10Installer[] = "MPSetupXP.exe";
inline constexpr char kFlashInstaller[] = "flashplayer9r28_winax.exe";

}  // namespace omni
