// Shared arrangements for the component catalogue tests.
#pragma once

#include <string>
#include <vector>

#include "core/module_state.h"
#include "machine/folder_mng.h"

namespace omni::test {

// Sets the process-wide install mode and administrator flag for one test and puts the previous
// values (and the folders computed from them) back afterwards.
class ModuleStateScope {
public:
    ModuleStateScope(int installMode, bool isAdmin);
    ~ModuleStateScope();
    ModuleStateScope(const ModuleStateScope&) = delete;
    ModuleStateScope& operator=(const ModuleStateScope&) = delete;

    int initResult() const { return initResult_; }

private:
    ModuleState saved_;
    int savedMode_;
    int initResult_;
};

// The folder of the test program with a trailing backslash: the local base folder in local mode.
std::string TestBinBase();

// Writes text to path, creating the folders on the way; the file and the folders it created are
// removed again when the object goes.
class PlacedFile {
public:
    PlacedFile(const std::string& path, const std::string& text);
    ~PlacedFile();
    PlacedFile(const PlacedFile&) = delete;
    PlacedFile& operator=(const PlacedFile&) = delete;

private:
    std::string path_;
    std::vector<std::string> createdFolders_;
};

}  // namespace omni::test
