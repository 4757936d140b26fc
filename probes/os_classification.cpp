#include "probes/os_classification.h"

#include "platform/text.h"

namespace omni {

namespace {

// Spelled as the report has always shown them, typo included.
const char* const kOsNames[] = {
    "Windows Unknown",                 // 0
    "Windows 95",                      // 1
    "Windows 95 OSR2",                 // 2
    "Windows 98",                      // 3
    "Windows 98 SE",                   // 4
    "Windows Me",                      // 5
    "Windows NT",                      // 6
    "Windows NT 3.51",                 // 7
    "Windows NT 4.0 Workstation",      // 8
    "Windows NT 4.0 Server",           // 9
    "Windows NT 4.0 Server Enterprise",// 10
    "Windows 2000",                    // 11
    "Windows 2000 Profressional",      // 12
    "Windows 2000 Server",             // 13
    "Windows 2000 Server Datacenter",  // 14
    "Windows 2000 Server Advanced",    // 15
    "Windows XP Unknown",              // 16
    "Windows XP Home",                 // 17
    "Windows XP Professional",         // 18
    "Windows Server 2003",             // 19
    "Windows Server 2003 Enterprise",  // 20
    "Windows Server 2003 Datacenter",  // 21
    "Windows Server 2003 WebEdition",  // 22
    "Windows Vista",                   // 23
    "Windows Vista Home",              // 24
    "Windows Vista Enterprise",        // 25
    "",                                // 26
    "Windows 7",                       // 27
    "Windows 7 Home",                  // 28
    "Windows 7 Enterprise",            // 29
    "",                                // 30
    "Win32s",                          // 31
    "Windows 8",                       // 32
    "Windows 8 or higher",             // 33
};

constexpr DWORD kPlatformWin32s = 0;
constexpr DWORD kPlatformWindows = 1;
constexpr DWORD kPlatformNt = 2;

constexpr BYTE kWorkstation = 1;
constexpr BYTE kServer = 3;

constexpr WORD kSuiteEnterprise = 0x0002;
constexpr WORD kSuiteDatacenter = 0x0080;
constexpr WORD kSuitePersonal = 0x0200;
constexpr WORD kSuiteBlade = 0x0400;

bool Is(const OsVersionRecord& r, DWORD major, DWORD minor) { return r.major == major && r.minor == minor; }

// Windows 95 and 98 mark their second editions by a letter in the service-pack string.
int Windows9xCode(const OsVersionRecord& r) {
    if (r.major != 4) return 0;
    const char mark = r.servicePack.size() > 1 ? r.servicePack[1] : '\0';
    switch (r.minor) {
        case 0: return (mark == 'C' || mark == 'B') ? 2 : 1;
        case 10: return mark == 'A' ? 4 : 3;
        case 90: return 5;
        default: return 0;
    }
}

int NtBaseCode(const OsVersionRecord& r) {
    if (r.major <= 4) return 6;
    if (r.major == 5) {
        switch (r.minor) {
            case 0: return 11;
            case 1: return 16;
            case 2: return 19;
            default: return 0;
        }
    }
    if (Is(r, 6, 0)) return 23;
    if (Is(r, 6, 1)) return 27;
    if (Is(r, 6, 2)) return 32;
    return 33;
}

int RefineWorkstation(const OsVersionRecord& r, int code) {
    const bool personal = (r.suiteMask & kSuitePersonal) != 0;
    if (r.major == 4) return 8;
    if (r.major == 5) {
        if (personal) return r.minor == 1 ? 17 : code;
        if (r.minor == 1) return 18;
        if (r.minor == 0) return 12;
        return code;
    }
    if (r.major == 6 && personal) {
        if (r.minor == 0) return 24;
        if (r.minor == 1) return 28;
    }
    return code;
}

int RefineServer(const OsVersionRecord& r, int code) {
    const bool enterprise = (r.suiteMask & kSuiteEnterprise) != 0;
    const bool datacenter = (r.suiteMask & kSuiteDatacenter) != 0;
    if (Is(r, 5, 2)) {
        if (datacenter) return 21;
        if (enterprise) return 20;
        if (r.suiteMask == kSuiteBlade) return 22;
        return 19;
    }
    if (Is(r, 6, 0)) return enterprise ? 25 : code;
    if (Is(r, 6, 1)) return enterprise ? 29 : code;
    if (Is(r, 5, 0)) return datacenter ? 14 : enterprise ? 15 : 13;
    if (r.major <= 4) return enterprise ? 10 : 9;
    return code;
}

// Without the extended record, old NT systems tell their edition through ProductOptions.
int RefineByProductOptions(const OsVersionRecord& r, const std::string& type, int code) {
    if (EqualsNoCase(type, "WINNT")) return r.major <= 4 ? 8 : code;
    if (EqualsNoCase(type, "LANMANNT")) {
        if (Is(r, 5, 2)) return 19;
        if (Is(r, 5, 0)) return 13;
        return r.major <= 4 ? 9 : code;
    }
    if (EqualsNoCase(type, "SERVERNT")) {
        if (Is(r, 5, 2)) return 20;
        if (Is(r, 5, 0)) return 15;
        return r.major <= 4 ? 10 : code;
    }
    return code;
}

void FillServicePackTexts(const OsVersionRecord& r, const OsRegistryFacts& facts, OsIdentity& identity) {
    const int build = static_cast<int>(r.build & 0xFFFF);
    // NT 4.0 SP6a reports itself as SP6; only its hotfix key tells them apart.
    if (r.major == 4 && EqualsNoCase(r.servicePack, "Service Pack 6") && facts.hasQ246009) {
        identity.servicePackText = "Service Pack 6a";
        identity.servicePackBuildText = Format("Service Pack 6a (Build %d)\n", build);
        return;
    }
    identity.servicePackText = LimitText(r.servicePack, kOsTextLimit);
    identity.servicePackBuildText =
        LimitText(Format("%s (Build %d)\n", identity.servicePackText.c_str(), build), kOsTextLimit);
}

}  // namespace

std::string LimitText(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

std::string OsNameOf(int code) {
    if (code < 0 || code >= static_cast<int>(sizeof(kOsNames) / sizeof(kOsNames[0]))) return std::string();
    return kOsNames[code];
}

OsIdentity ClassifyOs(const OsVersionRecord& r, const OsRegistryFacts& facts) {
    OsIdentity identity;
    switch (r.platform) {
        case kPlatformWin32s: identity.code = 31; return identity;
        case kPlatformWindows: identity.code = Windows9xCode(r); return identity;
        case kPlatformNt: break;
        default: return identity;
    }

    identity.code = NtBaseCode(r);
    identity.asksWow64 = r.major >= 6;
    if (r.extended) {
        if (r.productType == kWorkstation)
            identity.code = RefineWorkstation(r, identity.code);
        else if (r.productType == kServer)
            identity.code = RefineServer(r, identity.code);
    } else {
        if (!facts.productTypeRead) return identity;  // base code, no texts
        identity.code = RefineByProductOptions(r, facts.productType, identity.code);
    }
    FillServicePackTexts(r, facts, identity);
    return identity;
}

}  // namespace omni
