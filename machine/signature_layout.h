// What lies beside a signature that the signature does not cover: a program's certificate table must
// hold its one signature and nothing else, and an installer package must carry its files inside.
#pragma once

#include "machine/locked_file.h"

namespace omni {

// True for a file whose signed bytes are all there is to it: a program (MZ) whose certificate table is
// the end of the file and holds one signature with at most the zero bytes that align it; an installer
// package whose files are all in cabinets embedded in the package; any other kind of file as it is.
bool NothingBesideTheSignature(const LockedFile& file);

}  // namespace omni
