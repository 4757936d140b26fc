// The process-wide way to write a GUID.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::string FormatGuid(const GUID& guid);

}  // namespace omni
