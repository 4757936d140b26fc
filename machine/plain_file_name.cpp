#include "machine/plain_file_name.h"

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
    if (stem.size() < 4 || !(EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT")))
        return false;
    const std::string digit = stem.substr(3);
    // Windows takes the superscript digits one to three (UTF-8 here) as port numbers as well.
    static const char* const kPortDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                              "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    for (const char* port : kPortDigits)
        if (digit == port) return true;
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
