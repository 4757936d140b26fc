// Names that a page passes to the repair methods: only a bare file name may reach the file system.
#pragma once

#include <string>

namespace omni {

// True for a plain file name: no path separator, drive, ".." or device name (CON, NUL, COM1, LPT¹...), no
// trailing dot or blank, no character Windows forbids in names. Anything else could leave the folders
// the repairs write, load and run from. It is UTF-8 without control or format characters and without
// blanks but U+0020 (no U+00A0, no U+200B, no direction marks), so that a name shown in a question is
// only a name: such characters could make the page's own words look like the question's.
bool IsPlainFileName(const std::string& name);

}  // namespace omni
