// The façade through which the diagnosis run and the repairs reach every probe and setter.
// Every operation reads the machine afresh and returns a result code (0 = success).
#pragma once

#include <string>

#include "core/version.h"
#include "machine/registry_util.h"
#include "probes/check_flash_ver.h"

namespace omni {

class CVersionRetriever {
public:
    virtual ~CVersionRetriever() = default;

    // Versions
    int RetrieveIEVersion(Version& version);
    int RetrieveIEServiceVersion(Version& version);
    int RetrieveWMPVersion(Version& version);
    int RetrieveFlashVersion(Version& version);
    int RetrieveFileVersion(const std::string& path, Version& version);

    // Flash security settings file
    int CheckFlashSecurity(int& setting);
    int RepairFlashSecurity();

    // Browser add-on switches
    int CheckFlashBlocked(int& blocked);
    int UnblockFlash();
    int CheckMarkletBlocked(int& blocked);
    int UnblockMarklet();
    int AddPreApprovedControls();

    // Pop-up blocker and toolbars
    int CheckPopupBlocker(int& on);
    int TurnOffPopupBlocker();
    int GetToolbarListText(std::string& text);

    // Browser and media settings
    int CheckStatusBarScript(int& allowed);
    int AllowStatusBarScript();
    int CheckSoftwareRendering(int& on);
    int EnableSoftwareRendering();
    int CheckIE32BitTabs(int& set);
    int EnableIE32BitTabs();
    int CheckWMPSRSAutoInsert(int& value);
    int DisableWMPSRSAutoInsert();
    int CheckApproximateSeeking(int& correct);  // 1 when "AllowApproximateSeeking" is 0
    int DisableApproximateSeeking();

private:
    CCheckFlashVer flashVer_;
    CRegistryUtil registry_;
};

}  // namespace omni
