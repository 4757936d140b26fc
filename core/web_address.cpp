#include "core/web_address.h"

namespace omni {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

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
