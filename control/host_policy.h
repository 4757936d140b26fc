// The machine policy that binds the control to a support desk's own sites: a list of origins under the
// control's policy key, which only an administrator can write. Without it every page may use the control.
#pragma once

#include <string>

#include "control/url_host.h"

namespace omni {

// Below HKEY_LOCAL_MACHINE, in the 64-bit view on 64-bit Windows, where an administrator's tools write.
inline constexpr wchar_t kHostPolicyKey[] = L"SOFTWARE\\Policies\\Talvek\\Omniprobe";
inline constexpr wchar_t kAllowedHostsValue[] = L"AllowedHosts";
// REG_DWORD; not 0: web mode fetches only from the page's own origin.
inline constexpr wchar_t kListsFromPageOriginValue[] = L"ListsFromPageOrigin";
inline constexpr unsigned kMaxAllowedHostsLength = 4095;  // characters; a longer list allows nothing

struct HostPolicy {
    bool present = false;      // false: no policy, every page is allowed
    std::string allowedHosts;  // "host; *.domain; http://host:8080; file:///C:/Desk/; ...", as written
    bool listsFromPageOrigin = false;

    // Whether a page (or a post target) of this origin may use the control. An entry is
    // [http:// or https://]host[:port]: without a scheme it means https, without a port the scheme's
    // default; "*.domain" stands for every subdomain of domain. An entry of any other form allows nothing.
    bool Allows(const UrlOrigin& origin) const;
    // Allows for an http(s) page; for a file: page, whether an entry "file:///<folder>/" holds it (or
    // "file:///<file>" names it). No other page, nor one without an address, is allowed by any entry.
    bool AllowsPage(const std::string& pageAddress) const;
    // Whether web mode may fetch from serverUrl for this page: always without listsFromPageOrigin;
    // with it, only from the page's own http(s) origin.
    bool AllowsServer(const std::string& pageAddress, const std::string& serverUrl) const;
};

// Key absent: no policy. Anything else that keeps the value from being read (access denied included),
// a value of another type than REG_SZ, or one longer than kMaxAllowedHostsLength, is a policy that
// allows nothing. ListsFromPageOrigin of another type than REG_DWORD counts as set.
HostPolicy ReadHostPolicy();

}  // namespace omni
