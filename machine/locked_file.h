// A file held open for reading while nobody may write, rename or delete it, so that the bytes whose
// signature was checked are the bytes that are loaded, registered or run.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace omni {

class LockedFile {
public:
    LockedFile() = default;
    // Not ok() when the path names no file, or someone holds it open for writing or deleting.
    static LockedFile Open(const std::string& path);
    // Held for reading while nobody may write it, but it may be renamed or deleted, as a loaded module
    // may: the handle keeps the bytes it opened, whatever the path names later.
    static LockedFile OpenRenamable(const std::string& path);

    bool ok() const { return static_cast<bool>(file_); }
    HANDLE handle() const { return file_.get(); }
    const std::string& path() const { return path_; }
    void Release() { file_.reset(); }

private:
    static LockedFile Opened(const std::string& path, DWORD sharing);

    unique_file file_;
    std::string path_;
};

}  // namespace omni
