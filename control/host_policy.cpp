#include "control/host_policy.h"

#include <windows.h>

#include <cwchar>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesEntry(const std::string& host, const char* entry, size_t length) {
    // "*.example.com" stands for the subdomains of example.com, not for example.com itself.
    bool subdomains = length > 2 && entry[0] == '*' && entry[1] == '.';
    if (subdomains) {
        ++entry;
        --length;
    }
    if (subdomains ? host.size() <= length : host.size() != length) return false;
    const char* tail = host.data() + host.size() - length;
    for (size_t i = 0; i < length; ++i)
        if (Lower(tail[i]) != Lower(entry[i])) return false;
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool HostPolicy::Allows(const std::string& host) const {
    if (!present) return true;
    if (host.empty()) return false;
    const std::string& list = allowedHosts;
    for (size_t start = 0;;) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        size_t first = start, last = end;
        while (first < last && IsBlank(list[first])) ++first;
        while (last > first && IsBlank(list[last - 1])) --last;
        if (first < last && MatchesEntry(host, list.data() + first, last - first)) return true;
        if (end == list.size()) return false;
        start = end + 1;
    }
}

HostPolicy ReadHostPolicy() {
    unique_hkey key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHostPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.addressof());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)  // Windows 2000 knows no registry views
        status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHostPolicyKey, 0, KEY_QUERY_VALUE, key.addressof());
    wchar_t text[kMaxAllowedHostsLength + 1];
    DWORD type = REG_NONE;
    DWORD size = sizeof(text) - sizeof(wchar_t);  // one spare zero for data that carries no terminator
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExW(key.get(), kAllowedHostsValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    if (status == ERROR_FILE_NOT_FOUND) return HostPolicy{};
    // From here on the policy is present, and what cannot be read allows nothing.
    if (status != ERROR_SUCCESS || type != REG_SZ) size = 0;
    text[size / sizeof(wchar_t)] = L'\0';
    return HostPolicy{true, Narrow(text, std::wcslen(text))};
}

}  // namespace omni
