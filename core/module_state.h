// Module-wide values that every control object of the process shares.
#pragma once

#include <string>

namespace omni {

// 1 = web mode (everything fetched into the temporary folder); 0 and 2 = local mode, files beside
// the hosting program; 2 also makes the rules offer vendor links instead of installers.
inline constexpr int kInstallModeLocal = 0;
inline constexpr int kInstallModeWeb = 1;
inline constexpr int kInstallModeLocalLinks = 2;

struct ModuleState {
    int installMode = kInstallModeWeb;
    bool isAdmin = false;
    std::string serverUrl;
    std::string sampleZ4Url;  // sample content pages of the two player generations
    std::string sampleZ3Url;
    // Retrieves running in the process. They share the temporary folder's list files, and a modal
    // dialog lets the page (or another control's timer) call again before the first one returns.
    int retrievesRunning = 0;
};

ModuleState& GetModuleState();

}  // namespace omni
