// Windows Media Player's network protocols: UDP off; TCP, HTTP and multicast on.
#pragma once

#include <windows.h>

namespace omni {

inline constexpr char kMediaPlayerPreferencesKey[] = "Software\\Microsoft\\MediaPlayer\\Preferences";

// Protocol indexes; any other index is invalid.
enum WmpProtocol : int {
    kWmpUseTcp = 0,
    kWmpUseUdp = 1,
    kWmpUseHttp = 2,
    kWmpUseMulticast = 3,
};

// The value name of a protocol index ("UseTCP", ...), or null for an invalid index.
const char* WmpProtocolValueName(int index);

class CWMPNetworkSettings {
public:
    virtual ~CWMPNetworkSettings();

    // 1 when the value was written, 0 otherwise. The key is never created.
    int SetProtocol(int index, bool on);
    // 1 when the value equals wanted. A missing or non-DWORD value is written as wanted, but this
    // run still answers 0 for it.
    int CheckProtocol(int index, DWORD wanted);
    // 1 when all four are as wanted; stops at the first that is not.
    int CheckAll();
    // 1 when all four were written; stops at the first that cannot be.
    int RepairAll();
    // The repair as the repair methods report it: 0, or -22 when not all four were written.
    int ApplyRepair();
};

}  // namespace omni
