// The diagnosis seams answered by the machine itself.
#pragma once

#include "diagnosis/diagnosis_probes.h"
#include "probes/version_retriever.h"

namespace omni {

class CSystemProbes : public RunProbes, public GradingProbes {
public:
    // RunProbes
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

    // GradingProbes
    int RetrieveIEServiceVersion(Version& version) override;
    int CheckWmpNetworkAll() override;
    int CheckApproximateSeeking(int& correct) override;
    bool CanCreateControl(const std::string& fileName) override;
    int IsAddonEnabled(const std::string& fileName) override;

    CVersionRetriever& retriever() { return retriever_; }

private:
    CVersionRetriever retriever_;
};

}  // namespace omni
