// Stand-ins for the diagnosis seams: answers set by the test, and a record of what was asked.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "diagnosis/diagnosis_probes.h"

namespace omni::test {

class FakeGradingProbes : public GradingProbes {
public:
    int RetrieveIEServiceVersion(Version& version) override;
    int CheckWmpNetworkAll() override;
    int CheckApproximateSeeking(int& correct) override;
    bool CanCreateControl(const std::string& fileName) override;
    int IsAddonEnabled(const std::string& fileName) override;

    int serviceVersionStatus = 0;
    std::string serviceVersion = "11.0.9600.16428";
    int networkAll = 1;
    bool networkThrows = false;  // as an allocation failure would, in the middle of a composition
    int seekingStatus = 0;
    int seekingCorrect = 1;
    std::set<std::string> notCreatable;    // names whose creation fails
    std::set<std::string> disabledAddons;  // names the browser has switched off

    int serviceVersionCalls = 0;
    int networkCalls = 0;
    int seekingCalls = 0;
    int createCalls = 0;
    int addonCalls = 0;
};

// One listed component, as the list files and the installed-state scan would give it.
struct ComponentFixture {
    std::string name;
    int kind;
    std::string required;
    std::string installed;  // the version on disk
    int found;
};

class FakeRunProbes : public RunProbes {
public:
    int RetrieveOsInfo(OsFacts& facts) override;
    void ShowMessage(const std::string& text) override;
    void SwitchZ4To98() override;
    int RetrieveIEVersion(Version& version) override;
    int RetrieveWMPVersion(Version& version) override;
    int RetrieveFlashVersion(Version& version) override;
    void LoadNecessaryLists(int osCode, CNecessaryOcxList& ocx, CNecessaryDllList& dll) override;
    void BuildInstalledLists(const CNecessaryOcxList& necessaryOcx, const CNecessaryDllList& necessaryDll,
                             CInstalledOcxList& ocx, CInstalledDllList& dll) override;
    int CheckFlashSecurity(int& setting) override;
    int CheckFlashBlocked(int& blocked) override;
    int CheckMarkletBlocked(int& blocked) override;
    int CheckWMPSRSAutoInsert(int& value) override;
    int CheckPopupBlocker(int& on) override;
    int GetToolbarListText(std::string& text) override;
    int CheckStatusBarScript(int& allowed) override;
    int CheckSoftwareRendering(int& on) override;
    int CheckIE32BitTabs(int& set) override;

    bool Asked(const std::string& call) const;
    // Whether first was asked before second (both asked).
    bool AskedBefore(const std::string& first, const std::string& second) const;

    int osStatus = 0;
    OsFacts os{30, 1, "Windows 7 Ultimate", "Service Pack 1", "Service Pack 1 (Build 7601)"};
    int ieStatus = 0;
    std::string ie = "9.11.9600.16428";
    int wmpStatus = 0;
    std::string wmp = "12.0.7601.18840";
    int flashStatus = 0;
    std::string flash = "10.0.0.0";
    std::vector<ComponentFixture> components;
    int flashSecurity = 0;
    int flashBlocked = 0;
    int markletBlocked = 0;
    int srsAutoInsert = 0;
    int popupOn = 0;
    std::string toolbars;
    int statusBarScript = 1;
    int softwareRendering = 1;
    int ie32BitTabs = 1;

    std::vector<std::string> calls;
    std::vector<std::string> messages;
    int listOsCode = -1;  // the OS code the DLL list was loaded for
};

}  // namespace omni::test
