#include "platform/file_probe.h"

#include <windows.h>

#include "platform/text.h"

namespace omni {

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace omni
