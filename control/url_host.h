// The host of a page's address, as the browser reads it, for the host allow-list.
#pragma once

#include <string>

namespace omni {

// The host of an http or https address, lower case, without port, user information or a final dot;
// an IPv6 literal keeps its brackets. "" for any other scheme and for an address without a host.
std::string UrlHost(const std::string& url);

}  // namespace omni
