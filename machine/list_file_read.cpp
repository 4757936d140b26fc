// Reading a list file from disk; the parsing in list_file.cpp stays free of Win32 so it builds anywhere.
#include "machine/list_file.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

bool ReadListFile(const std::string& path, std::string& content) {
    content.clear();
    unique_file file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) return false;
        if (read == 0) return true;
        content.append(buffer, read);
    }
}

}  // namespace omni
