#include "machine/locked_file.h"

#include "platform/text.h"

namespace omni {

LockedFile LockedFile::Open(const std::string& path) {
    // Sharing read only: a writer, a rename and a delete all fail while the handle is open; the loader,
    // regsvr32 and a started process only read.
    return Opened(path, FILE_SHARE_READ);
}

LockedFile LockedFile::OpenRenamable(const std::string& path) {
    return Opened(path, FILE_SHARE_READ | FILE_SHARE_DELETE);
}

LockedFile LockedFile::Opened(const std::string& path, DWORD sharing) {
    LockedFile locked;
    locked.path_ = path;
    locked.file_.reset(CreateFileW(Widen(path).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION facts = {};
    if (locked.ok() && (!GetFileInformationByHandle(locked.handle(), &facts) ||
                        (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)))
        locked.file_.reset();
    return locked;
}

}  // namespace omni
