// Two live probes of one of the maker's controls: can it be created, and has the browser's add-on
// manager disabled it.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

// The maker's controls that the creation test knows (a subset of the per-user registration table):
// the row of machine/component_ids.h for a file name, -1 for any other name.
int CreatableControlRow(const std::string& fileName);

using ControlCreator = bool (*)(const CLSID& clsid);

// Creates the control invisibly in a hidden parent window and takes both down again. False for a
// name outside the table, and when creation fails or throws.
bool CanCreateControl(const std::string& fileName);
bool CanCreateControl(const std::string& fileName, ControlCreator create);

// 0 when the add-on settings of the control's class hold "Flags" = REG_DWORD 1, else 1; 1 also
// for a name without a class identifier.
int IsAddonEnabled(const std::string& fileName);

}  // namespace omni
