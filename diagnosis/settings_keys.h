// The settings keys that the rules name and that the Modify repair accepts, spelled as the page
// sends them.
#pragma once

namespace omni {

inline constexpr char kKeyFlashSecure[] = "FlashSecure";
inline constexpr char kKeyIeFlash[] = "IeFlash";
inline constexpr char kKeyIeMarklet[] = "IeMarklet";
inline constexpr char kKeyIePopup[] = "IePopop";  // sic: pages already send this spelling
inline constexpr char kKeyStatusBarScript[] = "AllowStatusbarModifyByScript";
inline constexpr char kKeySoftwareRendering[] = "UseSWRender";
inline constexpr char kKeyIe32BitTabs[] = "EnabledIEWin32In64OS";
inline constexpr char kKeyWmpSrs[] = "WMP10SRS";
inline constexpr char kKeyWmpNetwork[] = "WMPNPOption";
inline constexpr char kKeyWmpSeeking[] = "WMP11AllowApproximateSeeking";
inline constexpr char kKeySpMarklet[] = "SpMarklet";
inline constexpr char kKeyPreapproveMsorun[] = "PreapproveMsorundll";

inline constexpr char kMethodModify[] = "Modify";
inline constexpr char kMethodInstallProgram[] = "InstallProgram";
inline constexpr char kMethodInstallOcx[] = "InstallOcx";
inline constexpr char kMethodInstallDll[] = "InstallDll";

}  // namespace omni
