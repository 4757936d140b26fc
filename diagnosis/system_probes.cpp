#include "diagnosis/system_probes.h"

#include <windows.h>

#include "install/component_probe.h"
#include "machine/folder_mng.h"
#include "platform/text.h"
#include "probes/os_info.h"
#include "probes/wmp_network_settings.h"

namespace omni {

int CSystemProbes::RetrieveOsInfo(OsFacts& facts) {
    COsInfo info;
    int status = info.RetrieveOsInfo();
    if (status != 0) return status;
    facts.code = info.code;
    facts.isWow64 = info.IsWow64;
    facts.name = info.GetOsName();
    facts.servicePackText = info.GetServicePackText();
    facts.servicePackBuildText = info.GetServicePackBuildText();
    return 0;
}

void CSystemProbes::ShowMessage(const std::string& text) {
    MessageBoxW(nullptr, Widen(text).c_str(), nullptr, MB_OK);
}

void CSystemProbes::SwitchZ4To98() { GetFolderMng().SwitchZ4To98(); }

int CSystemProbes::RetrieveIEVersion(Version& version) { return retriever_.RetrieveIEVersion(version); }

int CSystemProbes::RetrieveWMPVersion(Version& version) { return retriever_.RetrieveWMPVersion(version); }

int CSystemProbes::RetrieveFlashVersion(Version& version) { return retriever_.RetrieveFlashVersion(version); }

void CSystemProbes::LoadNecessaryLists(int osCode, CNecessaryOcxList& ocx, CNecessaryDllList& dll) {
    ocx.LoadOcxList(4);
    ocx.LoadOcxList(3);
    dll.LoadDllList(osCode);
}

void CSystemProbes::BuildInstalledLists(const CNecessaryOcxList& necessaryOcx, const CNecessaryDllList& necessaryDll,
                                        CInstalledOcxList& ocx, CInstalledDllList& dll) {
    ocx.BuildFrom(necessaryOcx);
    dll.BuildFrom(necessaryDll);
}

int CSystemProbes::CheckFlashSecurity(int& setting) { return retriever_.CheckFlashSecurity(setting); }

int CSystemProbes::CheckFlashBlocked(int& blocked) { return retriever_.CheckFlashBlocked(blocked); }

int CSystemProbes::CheckMarkletBlocked(int& blocked) { return retriever_.CheckMarkletBlocked(blocked); }

int CSystemProbes::CheckWMPSRSAutoInsert(int& value) { return retriever_.CheckWMPSRSAutoInsert(value); }

int CSystemProbes::CheckPopupBlocker(int& on) { return retriever_.CheckPopupBlocker(on); }

int CSystemProbes::GetToolbarListText(std::string& text) { return retriever_.GetToolbarListText(text); }

int CSystemProbes::CheckStatusBarScript(int& allowed) { return retriever_.CheckStatusBarScript(allowed); }

int CSystemProbes::CheckSoftwareRendering(int& on) { return retriever_.CheckSoftwareRendering(on); }

int CSystemProbes::CheckIE32BitTabs(int& set) { return retriever_.CheckIE32BitTabs(set); }

int CSystemProbes::RetrieveIEServiceVersion(Version& version) { return retriever_.RetrieveIEServiceVersion(version); }

int CSystemProbes::CheckWmpNetworkAll() { return CWMPNetworkSettings().CheckAll(); }

int CSystemProbes::CheckApproximateSeeking(int& correct) { return retriever_.CheckApproximateSeeking(correct); }

bool CSystemProbes::CanCreateControl(const std::string& fileName) { return omni::CanCreateControl(fileName); }

int CSystemProbes::IsAddonEnabled(const std::string& fileName) { return omni::IsAddonEnabled(fileName); }

}  // namespace omni
