// The origin of a page's address (scheme, host, port), as the browser reads it, for the host allow-list.
#pragma once

#include <string>

namespace omni {

struct UrlOrigin {
    std::string scheme;  // "http" or "https"; "" when the address is neither, or names no usable host
    std::string host;    // lower case, without user information or a final dot; IPv6 literals bracketed
    unsigned port = 0;   // the port written, or the scheme's default (80, 443)
};

inline constexpr unsigned kHttpPort = 80;
inline constexpr unsigned kHttpsPort = 443;

// A port as written after the host's ":": "" stands for the scheme's default; false for anything but up
// to five digits within 0..65535.
bool ParsePort(const std::string& text, unsigned defaultPort, unsigned& port);

// An address of any other scheme, without a host, or with a port that is not a number up to 65535,
// gives the empty origin (no scheme, no host).
UrlOrigin ParseOrigin(const std::string& url);

// ParseOrigin(url).host: "" for any other scheme and for an address without a host.
std::string UrlHost(const std::string& url);

// The origin as the user reads it: "https://desk.example", "http://desk.example:8080"; the port only when
// it is not the scheme's default. "" for the empty origin.
std::string OriginText(const UrlOrigin& origin);

bool SameOrigin(const UrlOrigin& a, const UrlOrigin& b);  // false when either is empty

// The Windows path that a file: address names, for comparing pages with the policy's file entries:
// "file:///C:/Desk/a.htm" and "file://C:\Desk\a.htm" give "c:\desk\a.htm", "file://server/share/a.htm"
// gives "\\server\share\a.htm"; ASCII letters in lower case, "%XX" decoded, "/" read as "\", and a
// query or fragment dropped. False for any other scheme, and for a path with "." or ".." segments, an
// empty segment inside, a character that Windows forbids in names, or a "%" without two hex digits.
bool FilePagePath(const std::string& url, std::string& path);

}  // namespace omni
