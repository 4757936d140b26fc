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

}  // namespace omni
