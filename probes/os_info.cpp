#include "probes/os_info.h"

#include <windows.h>

#include <cwchar>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

const wchar_t kProductOptionsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
const wchar_t kProductTypeValue[] = L"ProductType";
const wchar_t kSp6aHotfixKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
constexpr DWORD kProductTypeBytes = 1024;  // a longer value counts as unreadable

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);

void CopyRecord(const OSVERSIONINFOEXW& info, bool extended, OsVersionRecord& record) {
    record.platform = info.dwPlatformId;
    record.major = info.dwMajorVersion;
    record.minor = info.dwMinorVersion;
    record.build = info.dwBuildNumber;
    record.servicePack = Narrow(info.szCSDVersion, wcsnlen(info.szCSDVersion, 128));
    record.extended = extended;
    if (!extended) return;
    record.servicePackMajor = info.wServicePackMajor;
    record.servicePackMinor = info.wServicePackMinor;
    record.suiteMask = info.wSuiteMask;
    record.productType = info.wProductType;
}

// GetVersionEx reports 6.2 to every program without a compatibility manifest from Windows 8.1 on;
// the kernel's own answer is the true release.
bool QueryKernelVersion(OSVERSIONINFOEXW& info) {
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion"));
    if (!rtlGetVersion) return false;
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return rtlGetVersion(reinterpret_cast<OSVERSIONINFOW*>(&info)) == 0;
}

bool KeyPresent(HKEY root, const wchar_t* path) {
    unique_hkey key;
    return RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.addressof()) == ERROR_SUCCESS;
}

bool ReadProductType(std::string& type) {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductOptionsKey, 0, KEY_QUERY_VALUE, key.addressof()) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[kProductTypeBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kProductTypeBytes;
    if (RegQueryValueExW(key.get(), kProductTypeValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    type = Narrow(std::wstring(buffer));
    return true;
}

}  // namespace

bool QueryOsVersion(OsVersionRecord& record) {
    record = OsVersionRecord();
    OSVERSIONINFOEXW info = {};
    if (QueryKernelVersion(info)) {
        CopyRecord(info, true, record);
        return true;
    }
    info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        CopyRecord(info, true, record);
        return true;
    }
    info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        CopyRecord(info, false, record);
        return true;
    }
    return false;
}

OsRegistryFacts ReadOsRegistryFacts(const OsVersionRecord& record) {
    OsRegistryFacts facts;
    if (record.platform != VER_PLATFORM_WIN32_NT) return facts;
    if (!record.extended) facts.productTypeRead = ReadProductType(facts.productType);
    if (record.major == 4 && EqualsNoCase(record.servicePack, "Service Pack 6"))
        facts.hasQ246009 = KeyPresent(HKEY_LOCAL_MACHINE, kSp6aHotfixKey);
    return facts;
}

int QueryIsWow64() {
    auto isWow64Process =
        reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process"));
    if (!isWow64Process) return 0;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) return 0;
    return wow64 ? 1 : 0;
}

int COsInfo::RetrieveOsInfo() {
    code = 0;
    IsWow64 = 0;
    servicePackText_.clear();
    servicePackBuildText_.clear();
    if (!QueryOsVersion(record_)) return -1;

    const OsIdentity identity = ClassifyOs(record_, ReadOsRegistryFacts(record_));
    code = identity.code;
    servicePackText_ = identity.servicePackText;
    servicePackBuildText_ = identity.servicePackBuildText;
    if (identity.asksWow64) IsWow64 = QueryIsWow64();
    return 0;
}

std::string COsInfo::GetOsName() const { return OsNameOf(code); }
std::string COsInfo::GetServicePackText() const { return servicePackText_; }
std::string COsInfo::GetServicePackBuildText() const { return servicePackBuildText_; }

}  // namespace omni
