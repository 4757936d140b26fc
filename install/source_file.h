// Where a component or installer comes from for one repair: in web mode a fetch from the server that the
// running control object published, into a folder of its own that holds only that file and goes with
// this object; in local mode the file in the desk's folder beside the browser.
#pragma once

#include <string>

#include "machine/private_folder.h"

namespace omni {

class SourceFile {
public:
    // Web mode: fetches server + urlPart + fileName with the download dialog (the file's name as its
    // label); false, with nothing left behind, when that failed. Local mode: localFolder + fileName.
    bool Provide(const std::string& urlPart, const std::string& localFolder, const std::string& fileName);
    const std::string& path() const { return path_; }

private:
    PrivateFolder folder_;
    std::string path_;
};

}  // namespace omni
