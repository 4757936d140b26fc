#include "control/host_policy.h"

#include <windows.h>

#include <cwchar>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct Entry {
    std::string scheme;
    std::string host;  // a name, "*.domain" or a bracketed IPv6 literal
    unsigned port = 0;
};

bool ParseEntry(std::string text, Entry& entry) {
    entry.scheme = "https";  // a bare entry: plain http can be forged by anyone on the way
    if (StartsWithNoCase(text, "https://")) {
        text.erase(0, 8);
    } else if (StartsWithNoCase(text, "http://")) {
        entry.scheme = "http";
        text.erase(0, 7);
    }
    size_t hostEnd = text.find(':');
    if (!text.empty() && text[0] == '[') {
        hostEnd = text.find(']');
        if (hostEnd == std::string::npos) return false;
        ++hostEnd;
        if (hostEnd < text.size() && text[hostEnd] != ':') return false;
    }
    if (hostEnd == std::string::npos) hostEnd = text.size();
    entry.host = text.substr(0, hostEnd);
    if (entry.host.empty() || entry.host.back() == '.') return false;
    if (entry.host.find_first_of("/\\@?#:; \t", entry.host[0] == '[' ? entry.host.size() : 0) != std::string::npos)
        return false;
    const unsigned defaultPort = entry.scheme == "https" ? kHttpsPort : kHttpPort;
    if (hostEnd == text.size()) {
        entry.port = defaultPort;
        return true;
    }
    // An entry that writes ":" writes its port too.
    const std::string port = text.substr(hostEnd + 1);
    return !port.empty() && ParsePort(port, defaultPort, entry.port);
}

bool HostMatches(const std::string& host, const std::string& pattern) {
    // "*.example.com" stands for the subdomains of example.com, not for example.com itself.
    const bool subdomains = pattern.size() > 2 && pattern[0] == '*' && pattern[1] == '.';
    if (!subdomains && pattern.find('*') != std::string::npos) return false;
    const size_t length = subdomains ? pattern.size() - 1 : pattern.size();
    if (subdomains ? host.size() <= length : host.size() != length) return false;
    const char* tail = host.data() + host.size() - length;
    const char* wanted = pattern.data() + pattern.size() - length;
    for (size_t i = 0; i < length; ++i)
        if (Lower(tail[i]) != Lower(wanted[i])) return false;
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The 64-bit view on 64-bit Windows. Windows 2000 refuses the view flag and 32-bit Windows has one view,
// so the flag goes only where WOW64 runs us; false when even that cannot be told.
bool PolicyView(REGSAM& view) {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto isWow64 = kernel ? reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(kernel, "IsWow64Process")) : nullptr;
    BOOL wow64 = FALSE;
    if (isWow64 && !isWow64(GetCurrentProcess(), &wow64)) return false;
    view = wow64 ? KEY_WOW64_64KEY : 0;
    return true;
}

// Whether any entry of the list, blanks around it taken away, passes the test.
template <class Test>
bool AnyEntry(const std::string& list, Test test) {
    for (size_t start = 0;;) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        size_t first = start, last = end;
        while (first < last && IsBlank(list[first])) ++first;
        while (last > first && IsBlank(list[last - 1])) --last;
        if (first < last && test(list.substr(first, last - first))) return true;
        if (end == list.size()) return false;
        start = end + 1;
    }
}

// A folder entry ends in a separator and holds every page below it; any other names one page.
bool FileEntryHolds(const std::string& entryText, const std::string& pagePath) {
    std::string entryPath;
    if (!FilePagePath(entryText, entryPath)) return false;
    if (entryPath.back() != '\\') return entryPath == pagePath;
    return pagePath.size() > entryPath.size() && pagePath.compare(0, entryPath.size(), entryPath) == 0;
}

}  // namespace

bool HostPolicy::Allows(const UrlOrigin& origin) const {
    if (!present) return true;
    if (origin.host.empty()) return false;
    return AnyEntry(allowedHosts, [&](const std::string& text) {
        Entry entry;
        return ParseEntry(text, entry) && entry.scheme == origin.scheme && entry.port == origin.port &&
               HostMatches(origin.host, entry.host);
    });
}

bool HostPolicy::AllowsPage(const std::string& pageAddress) const {
    if (!present) return true;
    std::string pagePath;
    if (!FilePagePath(pageAddress, pagePath)) return Allows(ParseOrigin(pageAddress));
    return AnyEntry(allowedHosts, [&](const std::string& text) { return FileEntryHolds(text, pagePath); });
}

bool HostPolicy::AllowsServer(const std::string& pageAddress, const std::string& serverUrl) const {
    return !listsFromPageOrigin || SameOrigin(ParseOrigin(pageAddress), ParseOrigin(serverUrl));
}

HostPolicy ReadHostPolicy() {
    const HostPolicy refuseAll{true, std::string()};
    REGSAM view = 0;
    if (!PolicyView(view)) return refuseAll;
    unique_hkey key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHostPolicyKey, 0, KEY_QUERY_VALUE | view, key.addressof());
    wchar_t text[kMaxAllowedHostsLength + 1];
    DWORD type = REG_NONE;
    DWORD size = sizeof(text) - sizeof(wchar_t);  // one spare zero for data that carries no terminator
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExW(key.get(), kAllowedHostsValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    HostPolicy policy;
    if (status != ERROR_FILE_NOT_FOUND) {
        // Any other failure, "access denied" included, is a policy that could not be read: it allows
        // nothing, and no other view is tried, where a key of its own might be missing.
        if (status != ERROR_SUCCESS || type != REG_SZ) return refuseAll;
        text[size / sizeof(wchar_t)] = L'\0';
        policy = HostPolicy{true, Narrow(text, std::wcslen(text))};
    }
    if (key) {
        DWORD flag = 0;
        size = sizeof(flag);
        status = RegQueryValueExW(key.get(), kListsFromPageOriginValue, nullptr, &type, reinterpret_cast<BYTE*>(&flag),
                                  &size);
        if (status != ERROR_FILE_NOT_FOUND)
            policy.listsFromPageOrigin =
                status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(flag) || flag != 0;
    }
    return policy;
}

}  // namespace omni
