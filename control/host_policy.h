// The machine policy that binds the control to a support desk's own sites: a list of origins under the
// control's policy key, which only an administrator can write. Without it every page may use the control.
#pragma once

#include <string>

#include "control/url_host.h"

namespace omni {

// Below HKEY_LOCAL_MACHINE, in the 64-bit view on 64-bit Windows, where an administrator's tools write.
inline constexpr wchar_t kHostPolicyKey[] = L"SOFTWARE\\Policies\\Talvek\\Omniprobe";
inline constexpr wchar_t kAllowedHostsValue[] = L"AllowedHosts";
inline constexpr unsigned kMaxAllowedHostsLength = 4095;  // characters; a longer list allows nothing

struct HostPolicy {
    bool present = false;      // false: no policy, every page is allowed
    std::string allowedHosts;  // "host; *.domain; http://host:8080; ...", as written

    // Whether a page (or a post target) of this origin may use the control. An entry is
    // [http:// or https://]host[:port]: without a scheme it means https, without a port the scheme's
    // default; "*.domain" stands for every subdomain of domain. An entry of any other form allows nothing.
    bool Allows(const UrlOrigin& origin) const;
};

// Key absent: no policy. Anything else that keeps the value from being read (access denied included),
// a value of another type than REG_SZ, or one longer than kMaxAllowedHostsLength, is a policy that
// allows nothing.
HostPolicy ReadHostPolicy();

// Whether a policy exists and allows the page at this address; false without a policy.
bool PolicyAllowsPage(const std::string& pageAddress);

}  // namespace omni
