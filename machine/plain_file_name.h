// Names that a page passes to the repair methods: only a bare file name may reach the file system.
#pragma once

#include <string>

namespace omni {

// True for a plain file name: no path separator, drive, ".." or device name (CON, NUL, COM1, LPT¹...), no
// trailing dot or blank, no character Windows forbids in names. Anything else could leave the folders
// the repairs write, load and run from.
bool IsPlainFileName(const std::string& name);

}  // namespace omni
