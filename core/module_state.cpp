#include "core/module_state.h"

namespace omni {

ModuleState& GetModuleState() {
    static ModuleState state;  // one per loaded module, shared by every control in the process
    return state;
}

}  // namespace omni
