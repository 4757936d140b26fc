#include "host/control_setup.h"

#include "control/control_state.h"
#include "core/module_state.h"

namespace omni::host {

int SetUpLikeTheControl(const std::string& lang, int installMode, int adminOverride) {
    ControlState state;
    state.lang = lang;
    state.installMode = installMode;
    SetUpOnWindowCreation(state);
    if (state.folderSetup != 0) return state.folderSetup;
    if (adminOverride >= 0) GetModuleState().isAdmin = adminOverride == 1;
    return 0;
}

}  // namespace omni::host
