// Where Internet Explorer keeps add-on state, spelled as the browser spells it.
#pragma once

namespace omni {

// HKEY_CURRENT_USER: one subkey per disabled (or once switched) add-on, named by its identifier.
inline constexpr char kAddonSettingsPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";
inline constexpr char kAddonFlagsValue[] = "Flags";
inline constexpr unsigned long kAddonFlagsDisabled = 1;
// HKEY_CURRENT_USER: one subkey per control the user has met.
inline constexpr char kAddonStatsPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";

// HKEY_LOCAL_MACHINE
inline constexpr char kCurrentVersionPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kExtKeyName[] = "Ext";
inline constexpr char kExtPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext";
inline constexpr char kPreApprovedKeyName[] = "PreApproved";
inline constexpr char kPreApprovedPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext\\PreApproved";
inline constexpr char kExtensionsPath[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr char kExtensionButtonTextValue[] = "ButtonText";
inline constexpr char kBrowserHelperObjectsPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects";

// HKEY_CLASSES_ROOT
inline constexpr char kClsidPath[] = "CLSID";
inline constexpr char kInprocServerKeyName[] = "InprocServer32";

}  // namespace omni
