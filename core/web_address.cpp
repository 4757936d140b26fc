#include "core/web_address.h"

#include "platform/text.h"

namespace omni {

bool IsWebAddress(const std::string& url) {
    size_t hostStart = StartsWithNoCase(url, "http://") ? 7 : StartsWithNoCase(url, "https://") ? 8 : 0;
    if (hostStart == 0 || hostStart >= url.size()) return false;
    // "http:///x", "http://\\host\share" and "http://?x" name no host of their own.
    const char first = url[hostStart];
    if (first == '/' || first == '\\' || first == '?' || first == '#') return false;
    for (char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace omni
