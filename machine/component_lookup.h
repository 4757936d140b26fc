// Where BuildFrom looks for a listed file.
#pragma once

#include <string>

namespace omni {

// A control of a non-administrator is looked for where it is registered (the per-user
// installation puts it outside the system folder); everything else in the system folder.
bool LooksInRegisteredFolder(const std::string& fileName, bool isAdmin);

}  // namespace omni
