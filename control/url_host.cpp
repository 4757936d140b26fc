#include "control/url_host.h"

#include "platform/text.h"

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

std::string OriginText(const UrlOrigin& origin) {
    if (origin.scheme.empty() || origin.host.empty()) return std::string();
    const unsigned defaultPort = origin.scheme == "https" ? kHttpsPort : kHttpPort;
    std::string text = origin.scheme + "://" + origin.host;
    if (origin.port != defaultPort) text += ":" + std::to_string(origin.port);
    return text;
}

bool SameOrigin(const UrlOrigin& a, const UrlOrigin& b) {
    return !a.host.empty() && a.scheme == b.scheme && a.host == b.host && a.port == b.port;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// "%XX" decoded, "/" as "\", ASCII letters lowered; false for a broken escape or a forbidden character.
bool DecodePath(const std::string& text, std::string& path) {
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
            const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
            if (low < 0) return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || std::string(":*?\"<>|").find(c) != std::string::npos) return false;
        path += c == '/' ? '\\' : Lower(c);
    }
    return true;
}

}  // namespace

bool FilePagePath(const std::string& url, std::string& path) {
    path.clear();
    if (url.size() < 5 || !StartsWithNoCase(url, "file:")) return false;
    const size_t end = url.find_first_of("?#");
    std::string rest = url.substr(5, end == std::string::npos ? end : end - 5);
    size_t separators = 0;
    while (separators < rest.size() && IsSeparator(rest[separators])) ++separators;
    rest.erase(0, separators);
    std::string tail;
    if (rest.size() >= 2 && ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z')) &&
        (rest[1] == ':' || rest[1] == '|') && (rest.size() == 2 || IsSeparator(rest[2]))) {
        path = std::string(1, Lower(rest[0])) + ":";  // "C|" is the old form of "C:"
        tail = rest.substr(2);
    } else if (separators == 2 || separators >= 4) {
        path = "\\\\";  // a network share: \\server\share
        tail = rest;
    } else {
        return false;
    }
    if (!DecodePath(tail, path)) return false;
    // Segments between separators: none may be empty (but the last, of a folder), "." or "..".
    const size_t first = path[0] == '\\' ? 2 : 3;
    if (path.size() < first) return path.size() == 2;  // "c:" alone
    for (size_t start = first; start <= path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string segment = path.substr(start, end - start);
        if ((segment.empty() && end != path.size()) || segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return path[0] != '\\' || path.size() > 2;
}

}  // namespace omni
