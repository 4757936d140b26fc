// Reads from the system what the folder set-up needs.
#pragma once

#include "machine/folder_layout.h"

namespace omni {

// 0, -1 when no OS version can be read, -51 when the system folder cannot be obtained.
int ReadFolderFacts(FolderFacts& facts);

// Creates each directory in turn; existing ones and failures are the normal case and are ignored.
void CreateDirectories(const std::vector<std::string>& folders);

}  // namespace omni
