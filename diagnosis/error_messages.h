// The text a page shows for a result code, in the catalogue's current language.
#pragma once

#include <string>

namespace omni {

// "Undefined" for a code without an entry; 100 has its text only on Windows 98 SE and Me
// (OS codes 4 and 5) and is empty elsewhere.
std::string ErrorMessageText(int code, int osCode);

}  // namespace omni
