// Enters the maker's four content controls in the browser's pre-approved list, so that the
// browser runs them without asking.
#pragma once

#include "machine/registry_util.h"

namespace omni {

inline constexpr const char* kPreApprovedControls[] = {
    "{816CA824-8BE4-11D3-A498-00C04F6843FB}",
    "{A4639D29-774E-11D3-A490-00C04F6843FB}",
    "{A4639D2F-774E-11D3-A490-00C04F6843FB}",
    "{DE5F419A-9E04-11D3-A4A0-00C04F6843FB}",
};

// 0; -22 when a parent key does not open with full access; otherwise the system status of the
// first key that could not be created (later keys are then not tried).
int AddPreApprovedControls(CRegistryUtil& registry);

}  // namespace omni
