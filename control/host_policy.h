// The machine policy that binds the control to a support desk's own sites: a list of hosts under the
// control's policy key, which only an administrator can write. Without it every page may use the control.
#pragma once

#include <string>

namespace omni {

// Below HKEY_LOCAL_MACHINE, in the 64-bit view on 64-bit Windows, where an administrator's tools write.
inline constexpr wchar_t kHostPolicyKey[] = L"SOFTWARE\\Policies\\Talvek\\Omniprobe";
inline constexpr wchar_t kAllowedHostsValue[] = L"AllowedHosts";
inline constexpr unsigned kMaxAllowedHostsLength = 4095;  // characters; a longer list allows nothing

struct HostPolicy {
    bool present = false;      // false: no policy, every page is allowed
    std::string allowedHosts;  // "host; *.domain; ...", as written

    // Whether a page of host (UrlHost's form; "" for none) may use the control.
    bool Allows(const std::string& host) const;
};

// Key or value absent: no policy. A value of another type than REG_SZ, one longer than
// kMaxAllowedHostsLength, or one that cannot be read, is a policy that allows nothing.
HostPolicy ReadHostPolicy();

}  // namespace omni
