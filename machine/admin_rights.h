// Whether the user may install for the whole machine; decided once per control, read by the repairs.
#pragma once

namespace omni {

// NT family: membership of the built-in Administrators group in the caller's token. Windows 9x:
// whether HKLM\Software\Microsoft opens with full access. Any failure counts as no rights.
bool HasAdministratorRights();

}  // namespace omni
