#include "control/url_host.h"

namespace omni {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string UrlHost(const std::string& url) {
    const size_t npos = std::string::npos;
    size_t colon = url.find(':');  // "http" or "https", in any case
    if (colon != 4 && colon != 5) return std::string();
    for (size_t i = 0; i < colon; ++i)
        if (Lower(url[i]) != "https"[i]) return std::string();
    // The browser takes "\" for "/" in these schemes: "http://evil.com\@good.com" is evil.com's.
    size_t start = url.find_first_not_of("/\\", colon + 1);
    size_t end = url.find_first_of("/\\?#", start);
    if (end == npos) end = url.size();
    if (start >= end) return std::string();
    size_t at = url.rfind('@', end - 1);  // user information ends at the last "@"
    if (at != npos && at >= start) start = at + 1;
    if (start < end && url[start] == '[') {  // an IPv6 literal keeps its brackets and its colons
        size_t close = url.find(']', start);
        if (close >= end) return std::string();
        end = close + 1;
    } else {
        size_t port = url.find(':', start);
        if (port < end) end = port;
        if (end > start && url[end - 1] == '.') --end;
    }
    std::string host = url.substr(start, end - start);
    for (char& c : host) c = Lower(c);
    return host;
}

}  // namespace omni
