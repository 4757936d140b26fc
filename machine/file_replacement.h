// Puts a new copy of a file in place while the old copy waits aside, so that a copy, load or
// registration that fails can put the old one back: the PC stays as it was.
#pragma once

#include <string>

namespace omni {

class FileReplacement {
public:
    // aside: where the old copy waits (the temporary folder + name + ".temp").
    FileReplacement(std::string destination, std::string aside);
    ~FileReplacement();  // rolls back what is not committed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Copies source over the destination, first moving an existing copy aside (a module that is still
    // loaded can be renamed, not overwritten) and pausing pauseMs; retries further attempts after the
    // first. kOk, or kTargetInUse when every attempt failed, the old copy then back in place.
    int Copy(const std::string& source, int retries, unsigned pauseMs);
    // The new copy stays; the old one is deleted (a copy still loaded stays aside, in the temporary folder).
    void Commit();
    // The new copy is removed and the old one put back.
    void RollBack();

private:
    std::string destination_;
    std::string aside_;
    bool movedAside_ = false;
    bool copied_ = false;
};

}  // namespace omni
