// Module-wide values that every control object of the process shares.
#pragma once

namespace omni {

// 1 = web mode (everything fetched from the server); 0 and 2 = local mode, files beside the hosting
// program; 2 also makes the rules offer vendor links instead of installers. Each control object has its
// own (see CFolderMng).
inline constexpr int kInstallModeLocal = 0;
inline constexpr int kInstallModeWeb = 1;
inline constexpr int kInstallModeLocalLinks = 2;

struct ModuleState {
    bool isAdmin = false;
    // Retrieves and repairs running in the process. A modal dialog or question lets the page (or another
    // control's timer) call again before the first one returns; a Retrieve then would free the list
    // entries that a repair still uses.
    int retrievesRunning = 0;
    int repairsRunning = 0;
};

ModuleState& GetModuleState();

}  // namespace omni
