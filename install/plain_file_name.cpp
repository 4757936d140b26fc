#include "install/plain_file_name.h"

#include <cctype>

#include "platform/text.h"

namespace omni {

namespace {

// Windows opens these as devices whatever the extension ("nul.ocx" is NUL).
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();  // "CON .txt" is CON as well
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
        if (EqualsNoCase(stem, device)) return true;
    if (stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT")))
        return stem[3] >= '0' && stem[3] <= '9';
    return false;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 200) return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    if (name.back() == '.' || name.back() == ' ' || name.front() == ' ') return false;
    if (name.find("..") != std::string::npos) return false;
    return !IsDeviceName(name);
}

}  // namespace omni
