// The seams between the diagnosis and the machine: what the run asks, and what the rules still ask
// at the moment they grade. The system implementation is CSystemProbes; tests substitute their own.
#pragma once

#include <string>

#include "core/version.h"
#include "install/component_list.h"

namespace omni {

struct OsFacts {
    int code = 0;
    int isWow64 = 0;
    std::string name;
    std::string servicePackText;
    std::string servicePackBuildText;
};

// Probes that rules make while the report is composed; their answers are never kept.
class GradingProbes {
public:
    virtual ~GradingProbes() = default;
    virtual int RetrieveIEServiceVersion(Version& version) = 0;
    virtual int CheckWmpNetworkAll() = 0;                  // 1 when all four protocols are right
    virtual int CheckApproximateSeeking(int& correct) = 0;
    virtual bool CanCreateControl(const std::string& fileName) = 0;
    virtual int IsAddonEnabled(const std::string& fileName) = 0;
};

// Probes of the diagnosis run, in the order the run makes them.
class RunProbes {
public:
    virtual ~RunProbes() = default;
    virtual int RetrieveOsInfo(OsFacts& facts) = 0;
    virtual void ShowMessage(const std::string& text) = 0;  // modal, OK only
    virtual void SwitchZ4To98() = 0;
    virtual int RetrieveIEVersion(Version& version) = 0;
    virtual int RetrieveWMPVersion(Version& version) = 0;
    virtual int RetrieveFlashVersion(Version& version) = 0;
    virtual void LoadNecessaryLists(int osCode, CNecessaryOcxList& ocx, CNecessaryDllList& dll) = 0;
    virtual void BuildInstalledLists(const CNecessaryOcxList& necessaryOcx, const CNecessaryDllList& necessaryDll,
                                     CInstalledOcxList& ocx, CInstalledDllList& dll) = 0;
    virtual int CheckFlashSecurity(int& setting) = 0;
    virtual int CheckFlashBlocked(int& blocked) = 0;
    virtual int CheckMarkletBlocked(int& blocked) = 0;
    virtual int CheckWMPSRSAutoInsert(int& value) = 0;
    virtual int CheckPopupBlocker(int& on) = 0;
    virtual int GetToolbarListText(std::string& text) = 0;
    virtual int CheckStatusBarScript(int& allowed) = 0;
    virtual int CheckSoftwareRendering(int& on) = 0;
    virtual int CheckIE32BitTabs(int& set) = 0;
};

}  // namespace omni
