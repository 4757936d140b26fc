// Reduces a Windows version record to the OS code and its service-pack texts.
// Pure: the system query (os_info.cpp) gathers the facts, this decides.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

// The system's extended version record, as the query found it.
struct OsVersionRecord {
    DWORD platform = 0;  // VER_PLATFORM_WIN32s / _WINDOWS / _NT
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    std::string servicePack;  // the system's own service-pack string
    WORD servicePackMajor = 0;
    WORD servicePackMinor = 0;
    WORD suiteMask = 0;
    BYTE productType = 0;
    bool extended = false;  // false when only the basic record was available
};

// Registry facts that refine the record on old NT systems.
struct OsRegistryFacts {
    bool productTypeRead = false;  // ProductOptions\ProductType could be read
    std::string productType;       // "WINNT", "LANMANNT", "SERVERNT", ...
    bool hasQ246009 = false;       // the NT 4.0 SP6a hotfix key is present
};

struct OsIdentity {
    int code = 0;
    std::string servicePackText;       // at most kOsTextLimit bytes
    std::string servicePackBuildText;  // "<pack> (Build <n>)\n", at most kOsTextLimit bytes
    bool asksWow64 = false;            // the WOW64 question is only asked from NT 6.0 on
};

// The texts live in 128-byte fields with their terminating NUL.
constexpr size_t kOsTextLimit = 127;

OsIdentity ClassifyOs(const OsVersionRecord& record, const OsRegistryFacts& facts);

// Name of an OS code; codes without a name (26, 30, out of range) give "".
std::string OsNameOf(int code);

// Cuts text to at most limit bytes without splitting a UTF-8 sequence.
std::string LimitText(const std::string& text, size_t limit);

}  // namespace omni
