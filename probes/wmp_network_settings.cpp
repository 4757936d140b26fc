#include "probes/wmp_network_settings.h"

#include "core/result_codes.h"
#include "machine/registry_util.h"

namespace omni {

namespace {
const char* const kProtocolValueNames[] = {"UseTCP", "UseUDP", "UseHTTP", "UseMulticast"};

struct WantedProtocol {
    int index;
    bool on;
};

// The visiting order, not the index order: UDP is checked and written first.
const WantedProtocol kWanted[] = {
    {kWmpUseUdp, false},
    {kWmpUseTcp, true},
    {kWmpUseHttp, true},
    {kWmpUseMulticast, true},
};
}  // namespace

const char* WmpProtocolValueName(int index) {
    if (index < kWmpUseTcp || index > kWmpUseMulticast) return nullptr;
    return kProtocolValueNames[index];
}

CWMPNetworkSettings::~CWMPNetworkSettings() = default;

int CWMPNetworkSettings::SetProtocol(int index, bool on) {
    const char* name = WmpProtocolValueName(index);
    if (!name) return 0;
    return CRegistryUtil().SetDwordValue(HKEY_CURRENT_USER, kMediaPlayerPreferencesKey, name, on ? 1 : 0) == kOk ? 1
                                                                                                               : 0;
}

int CWMPNetworkSettings::CheckProtocol(int index, DWORD wanted) {
    const char* name = WmpProtocolValueName(index);
    if (!name) return 0;
    DWORD value = 0;
    int status = CRegistryUtil().GetDwordValue(HKEY_CURRENT_USER, kMediaPlayerPreferencesKey, name, value);
    if (status == kRegistryOpenFailed) return 0;
    if (status != kOk) {
        // Media Player leaves values unset until the user changes them; set this one up for next time.
        SetProtocol(index, wanted != 0);
        return 0;
    }
    return value == wanted ? 1 : 0;
}

int CWMPNetworkSettings::CheckAll() {
    for (const WantedProtocol& p : kWanted) {
        if (!CheckProtocol(p.index, p.on ? 1 : 0)) return 0;
    }
    return 1;
}

int CWMPNetworkSettings::RepairAll() {
    for (const WantedProtocol& p : kWanted) {
        if (!SetProtocol(p.index, p.on)) return 0;
    }
    return 1;
}

int CWMPNetworkSettings::ApplyRepair() { return RepairAll() == 1 ? kOk : kRegistryOpenFailed; }

}  // namespace omni
