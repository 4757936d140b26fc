#include "probes/pre_approved_controls.h"

#include "probes/addon_keys.h"

namespace omni {

int AddPreApprovedControls(CRegistryUtil& registry) {
    if (!registry.KeyExists(HKEY_LOCAL_MACHINE, kExtPath)) {
        if (LONG rc = registry.CreateSubKey(HKEY_LOCAL_MACHINE, kCurrentVersionPath, kExtKeyName)) return rc;
    }
    if (!registry.KeyExists(HKEY_LOCAL_MACHINE, kPreApprovedPath)) {
        if (LONG rc = registry.CreateSubKey(HKEY_LOCAL_MACHINE, kExtPath, kPreApprovedKeyName)) return rc;
    }

    // Only the first entry must succeed: it shows whether the machine key is writable at all.
    if (LONG rc = registry.CreateSubKey(HKEY_LOCAL_MACHINE, kPreApprovedPath, kPreApprovedControls[0])) return rc;
    for (int i = 1; i < 4; ++i) registry.CreateSubKey(HKEY_LOCAL_MACHINE, kPreApprovedPath, kPreApprovedControls[i]);

    // Only the first and third controls must be recorded as met; the others are best effort.
    if (LONG rc = registry.CreateSubKey(HKEY_CURRENT_USER, kAddonStatsPath, kPreApprovedControls[0])) return rc;
    if (LONG rc = registry.CreateSubKey(HKEY_CURRENT_USER, kAddonStatsPath, kPreApprovedControls[2])) return rc;
    registry.CreateSubKey(HKEY_CURRENT_USER, kAddonStatsPath, kPreApprovedControls[1]);
    registry.CreateSubKey(HKEY_CURRENT_USER, kAddonStatsPath, kPreApprovedControls[3]);
    return 0;
}

}  // namespace omni
