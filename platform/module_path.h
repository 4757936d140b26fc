// The module (DLL or EXE) that holds this code, and its folder.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

HMODULE CurrentModule();
std::string ModulePath(HMODULE module);  // UTF-8 full path, "" on failure
std::string CurrentModuleFolder();       // without the trailing backslash
std::string FolderOf(const std::string& path);  // text before the last backslash

}  // namespace omni
