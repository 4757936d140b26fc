#include "control/url_host.h"

namespace omni {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool ParsePort(const std::string& text, unsigned defaultPort, unsigned& port) {
    if (text.empty()) {
        port = defaultPort;
        return true;
    }
    if (text.size() > 5) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) return false;
    port = value;
    return true;
}

UrlOrigin ParseOrigin(const std::string& url) {
    const size_t npos = std::string::npos;
    size_t colon = url.find(':');  // "http" or "https", in any case
    if (colon != 4 && colon != 5) return UrlOrigin{};
    for (size_t i = 0; i < colon; ++i)
        if (Lower(url[i]) != "https"[i]) return UrlOrigin{};
    const bool secure = colon == 5;
    // The browser takes "\" for "/" in these schemes: "http://evil.com\@good.com" is evil.com's.
    size_t start = url.find_first_not_of("/\\", colon + 1);
    size_t end = url.find_first_of("/\\?#", start);
    if (end == npos) end = url.size();
    if (start >= end) return UrlOrigin{};
    size_t at = url.rfind('@', end - 1);  // user information ends at the last "@"
    if (at != npos && at >= start) start = at + 1;
    size_t hostEnd = end;
    if (start < end && url[start] == '[') {  // an IPv6 literal keeps its brackets and its colons
        size_t close = url.find(']', start);
        if (close >= end) return UrlOrigin{};
        hostEnd = close + 1;
        if (hostEnd < end && url[hostEnd] != ':') return UrlOrigin{};
    } else {
        size_t port = url.find(':', start);
        if (port < end) hostEnd = port;
    }
    UrlOrigin origin;
    const size_t portStart = hostEnd < end ? hostEnd + 1 : end;
    if (!ParsePort(url.substr(portStart, end - portStart), secure ? kHttpsPort : kHttpPort, origin.port))
        return UrlOrigin{};
    if (hostEnd > start && url[hostEnd - 1] == '.' && url[start] != '[') --hostEnd;
    if (hostEnd <= start) return UrlOrigin{};
    origin.host = url.substr(start, hostEnd - start);
    for (char& c : origin.host) c = Lower(c);
    origin.scheme = secure ? "https" : "http";
    return origin;
}

std::string UrlHost(const std::string& url) { return ParseOrigin(url).host; }

}  // namespace omni
