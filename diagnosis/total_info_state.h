// What one diagnosis run gathers about the PC, kept apart from how it is gathered so that the
// rules can grade any state a test sets up.
#pragma once

#include <string>

#include "core/version.h"
#include "install/component_list.h"

namespace omni {

// Run states.
inline constexpr int kRunNever = 0;
inline constexpr int kRunStopped = 1;
inline constexpr int kRunComplete = 5;

struct TotalInfoState {
    TotalInfoState() = default;
    TotalInfoState(const TotalInfoState&) = delete;
    TotalInfoState& operator=(const TotalInfoState&) = delete;

    // Operating system
    int osCode = 0;
    int isWow64 = 0;
    std::string osName;
    std::string servicePackText;
    std::string servicePackBuildText;

    Version ieVersion;
    Version wmpVersion;
    Version flashVersion;  // the generation only (N.0.0.0), 0.0.0.0 when no player is found

    // Settings; meaningful only once a run has reached them (readers test the run state or gate).
    int markletBlocked = 0;
    int flashBlocked = 0;
    int srsAutoInsert = 0;
    int popupOn = 0;
    int flashSecurity = 0;  // 0 always allow, 1 always ask, 2 always deny, 3 unreadable
    int statusBarScript = 0;
    int softwareRendering = 0;
    int ie32BitTabs = 0;
    std::string toolbarText;

    std::string reportText;
    int runState = kRunNever;

    CNecessaryOcxList necessaryOcx;
    CNecessaryDllList necessaryDll;
    CInstalledDllList installedDll;
    CInstalledOcxList installedOcx;
};

// The fixed thresholds, parsed once.
const Version& MinimumIeVersion();   // 6.0.0.0
const Version& MinimumWmpVersion();  // 7.0.0.0
const Version& Ie7Version();         // 7.0.0.0
const Version& Ie9Version();         // 9.0.0.0
const Version& Ie10Version();        // 9.10.0.0: the browser reports 10 and later as 9.10 and up
const Version& MinimumFlashVersion();  // 7.0.0.0

// Whether the OS has the browser's add-on manager and pop-up blocker: from XP SP2 on.
bool SupportsAddonManager(const TotalInfoState& state);

}  // namespace omni
