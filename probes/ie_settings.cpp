#include "probes/ie_settings.h"

#include "core/result_codes.h"
#include "machine/registry_util.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "probes/ie_tab_commands.h"

namespace omni {

namespace {
const wchar_t kIEKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
const wchar_t kVersionValue[] = L"Version";
constexpr size_t kVersionBufferBytes = 256;
constexpr unsigned kLastIEWithoutStatusBarOption = 6;
constexpr unsigned kFirstIEWithSoftwareRendering = 9;
constexpr unsigned kFirstIEWith32BitTabs = 9;
}  // namespace

CIESettings::~CIESettings() = default;

unsigned LeadingMajor(const std::string& versionText) {
    std::string major = versionText.substr(0, versionText.find('.'));
    unsigned value = 0;
    for (size_t i = 0; i < major.size() && i < 9 && major[i] >= '0' && major[i] <= '9'; ++i)
        value = value * 10 + static_cast<unsigned>(major[i] - '0');
    return value;
}

unsigned CIESettings::GetIEMajorVersion() {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kIEKey, 0, KEY_READ, key.addressof()) != ERROR_SUCCESS) return 0;
    wchar_t buffer[kVersionBufferBytes / sizeof(wchar_t) + 1] = {};  // one spare for a missing terminator
    DWORD type = 0, size = kVersionBufferBytes;
    if (RegQueryValueExW(key.get(), kVersionValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return 0;
    return LeadingMajor(Narrow(std::wstring(buffer)));
}

DWORD CIESettings::ReadUserDword(const std::string& key, const std::string& name) {
    DWORD value = 0;
    return CRegistryUtil().GetDwordValue(HKEY_CURRENT_USER, key, name, value) == kOk ? value : 0;
}

int CIESettings::WriteUserDword(const std::string& keyPath, const std::string& name, DWORD value) {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(keyPath).c_str(), 0, KEY_READ | KEY_WRITE, key.addressof()) !=
        ERROR_SUCCESS)
        return kRegistryOpenFailed;
    return RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS
               ? kOk
               : kRegistryWriteFailed;
}

int CIESettings::CheckStatusBarScript() {
    if (GetIEMajorVersion() <= kLastIEWithoutStatusBarOption) return 0;
    // 0 allows the updates; an absent value reads as 0 and so counts as allowed too.
    return ReadUserDword(kInternetZoneKey, kStatusBarScriptValue) == 0 ? 1 : 0;
}

int CIESettings::AllowStatusBarScript() { return WriteUserDword(kInternetZoneKey, kStatusBarScriptValue, 0); }

int CIESettings::CheckSoftwareRendering() {
    if (GetIEMajorVersion() < kFirstIEWithSoftwareRendering) return 1;
    return ReadUserDword(kIEMainKey, kSoftwareRenderValue) == 1 ? 1 : 0;
}

int CIESettings::EnableSoftwareRendering() { return WriteUserDword(kIEMainKey, kSoftwareRenderValue, 1); }

int CIESettings::CheckIE32BitTabs() {
    if (GetIEMajorVersion() < kFirstIEWith32BitTabs) return 1;
    if (QueryFindsValue(TabProcGrowthQueryCommand(kUserRoot), kTabProcGrowthValue)) return 0;
    if (QueryFindsValue(TabProcGrowthQueryCommand(kMachineRoot), kTabProcGrowthValue)) return 0;
    return QueryFindsValue(X86AppPathQueryCommand(), kX86AppPathValue) ? 1 : 0;
}

int CIESettings::EnableIE32BitTabs() {
    RunRegistryCommand(TabProcGrowthDeleteCommand(kUserRoot));
    RunRegistryCommand(TabProcGrowthDeleteCommand(kMachineRoot));
    // Without the 32-bit program files folder there is no sound path to write.
    std::string iexplore = Iexplore32Path();
    if (!iexplore.empty()) RunRegistryCommand(X86AppPathAddCommand(iexplore));
    return CheckIE32BitTabs() == 1 ? kOk : kRegistryWriteFailed;
}

}  // namespace omni
