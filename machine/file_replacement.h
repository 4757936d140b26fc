// Puts a new copy of a file in place while the old copy waits aside, so that a copy, load or
// registration that fails can put the old one back: the PC stays as it was.
#pragma once

#include <string>

#include "platform/handles.h"

namespace omni {

class FileReplacement {
public:
    explicit FileReplacement(std::string destination);
    ~FileReplacement();  // rolls back what is not committed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Copies source to the destination, first moving an existing copy aside next to it under a name no
    // page can predict (a module that is still loaded can be renamed, not overwritten) and pausing
    // pauseMs; retries further attempts after the first. The old copy is held from the move on, sharing
    // reading only, so no other process can write, rename or delete it. A destination that cannot be
    // moved aside is never overwritten. kOk, or kTargetInUse when every attempt failed, the old copy then
    // back in place.
    int Copy(const std::string& source, int retries, unsigned pauseMs);
    // The new copy stays; the old one is deleted (one still loaded goes at the next restart, where the
    // system lets this process ask for that).
    void Commit();
    // The new copy is removed and the old one put back, if its bytes are still the ones moved aside.
    void RollBack();

private:
    bool MoveAside();

    std::string destination_;
    unique_file heldAside_;  // the old copy, renamed next to the destination
    std::string asidePath_;
    std::string movedHash_;  // SHA-256 of the old copy's bytes when it was moved
    bool copied_ = false;
};

// The SHA-256 of a file's bytes read through the handle from its start; "" when it cannot be read.
std::string HashOfFile(HANDLE file);

}  // namespace omni
