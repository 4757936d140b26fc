// The part of the control's window creation that a diagnosis depends on, for programs that run
// the diagnosis without a page: language, install mode, folders, administrator flag.
#pragma once

#include <string>

namespace omni::host {

// adminOverride: -1 decides as the control does, 0 or 1 forces the flag. 0, or the folder set-up's code.
int SetUpLikeTheControl(const std::string& lang, int installMode, int adminOverride);

}  // namespace omni::host
