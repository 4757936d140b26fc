// Whether a held file is the component it is offered as: the signature says who made a file, its
// version resource says which file it is and which version. Read from the held bytes, never by path again.
#pragma once

#include <string>

#include "core/version.h"
#include "machine/locked_file.h"

namespace omni {

// kOk when the file's version resource names it (OriginalFilename equals name in any letter case) and its
// fixed FileVersion is not below atLeast; kNotTheComponent otherwise, a file without a version resource
// included.
int CheckComponentIdentity(const LockedFile& file, const std::string& name, const Version& atLeast);
// For an installer, whose version has nothing installed to compare with: where its version resource names
// a file, that must be name. kOk or kNotTheComponent.
int CheckInstallerIdentity(const LockedFile& file, const std::string& name);

}  // namespace omni
