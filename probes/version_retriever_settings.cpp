// Browser options and Media Player settings of the façade.
#include <windows.h>

#include "core/result_codes.h"
#include "platform/text.h"
#include "probes/ie_settings.h"
#include "probes/version_retriever.h"
#include "probes/wmp_network_settings.h"

namespace omni {

namespace {
const char kSrsNodeKey[] = "SOFTWARE\\Microsoft\\MediaPlayer\\NodeCLSIDs\\{95037DA1-6ED9-4B27-8CFF-9AD3DFB0B2F2}";
const char kSrsNodeName[] = "WMPlayer SRSWow DMO";
const char kNameValue[] = "Name";
const char kAutoInsertValue[] = "AutoInsert";
const char kApproximateSeekingValue[] = "AllowApproximateSeeking";
}  // namespace

int CVersionRetriever::CheckStatusBarScript(int& allowed) {
    allowed = CIESettings().CheckStatusBarScript();
    return kOk;
}

int CVersionRetriever::AllowStatusBarScript() { return CIESettings().AllowStatusBarScript(); }

int CVersionRetriever::CheckSoftwareRendering(int& on) {
    on = CIESettings().CheckSoftwareRendering();
    return kOk;
}

int CVersionRetriever::EnableSoftwareRendering() { return CIESettings().EnableSoftwareRendering(); }

int CVersionRetriever::CheckIE32BitTabs(int& set) {
    set = CIESettings().CheckIE32BitTabs();
    return kOk;
}

int CVersionRetriever::EnableIE32BitTabs() { return CIESettings().EnableIE32BitTabs(); }

int CVersionRetriever::CheckWMPSRSAutoInsert(int& value) {
    value = 0;
    std::string name;
    // Only the SRS Wow effect is meant; another node under this identifier is left alone.
    if (registry_.GetStringValue(HKEY_LOCAL_MACHINE, kSrsNodeKey, kNameValue, name) != kOk ||
        !EqualsNoCase(name, kSrsNodeName))
        return kOk;
    DWORD autoInsert = 0;
    if (registry_.GetDwordValue(HKEY_LOCAL_MACHINE, kSrsNodeKey, kAutoInsertValue, autoInsert) == kOk)
        value = static_cast<int>(autoInsert);
    return kOk;
}

int CVersionRetriever::DisableWMPSRSAutoInsert() {
    std::string name;
    if (registry_.GetStringValue(HKEY_LOCAL_MACHINE, kSrsNodeKey, kNameValue, name) != kOk ||
        !EqualsNoCase(name, kSrsNodeName))
        return kOk;
    return registry_.SetDwordValue(HKEY_LOCAL_MACHINE, kSrsNodeKey, kAutoInsertValue, 0) == kOk
               ? kOk
               : kRegistryWriteFailed;
}

int CVersionRetriever::CheckApproximateSeeking(int& correct) {
    correct = 0;
    DWORD allowed = 0;
    if (registry_.GetDwordValue(HKEY_CURRENT_USER, kMediaPlayerPreferencesKey, kApproximateSeekingValue, allowed) !=
        kOk)
        return kOk;
    correct = allowed == 0 ? 1 : 0;
    return kOk;
}

int CVersionRetriever::DisableApproximateSeeking() {
    return registry_.SetDwordValue(HKEY_CURRENT_USER, kMediaPlayerPreferencesKey, kApproximateSeekingValue, 0) == kOk
               ? kOk
               : kRegistryWriteFailed;
}

}  // namespace omni
