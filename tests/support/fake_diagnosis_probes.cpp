#include "tests/support/fake_diagnosis_probes.h"

#include <algorithm>
#include <new>

namespace omni::test {

int FakeGradingProbes::RetrieveIEServiceVersion(Version& version) {
    ++serviceVersionCalls;
    if (serviceVersionStatus == 0) version = serviceVersion;
    return serviceVersionStatus;
}

int FakeGradingProbes::CheckWmpNetworkAll() {
    ++networkCalls;
    if (networkThrows) throw std::bad_alloc();
    return networkAll;
}

int FakeGradingProbes::CheckApproximateSeeking(int& correct) {
    ++seekingCalls;
    correct = seekingCorrect;
    return seekingStatus;
}

bool FakeGradingProbes::CanCreateControl(const std::string& fileName) {
    ++createCalls;
    return notCreatable.count(fileName) == 0;
}

int FakeGradingProbes::IsAddonEnabled(const std::string& fileName) {
    ++addonCalls;
    return disabledAddons.count(fileName) ? 0 : 1;
}

int FakeRunProbes::RetrieveOsInfo(OsFacts& facts) {
    calls.push_back("RetrieveOsInfo");
    if (osStatus == 0) facts = os;
    return osStatus;
}

void FakeRunProbes::ShowMessage(const std::string& text) {
    calls.push_back("ShowMessage");
    messages.push_back(text);
}

void FakeRunProbes::SwitchZ4To98() { calls.push_back("SwitchZ4To98"); }

int FakeRunProbes::RetrieveIEVersion(Version& version) {
    calls.push_back("RetrieveIEVersion");
    if (ieStatus == 0) version = ie;
    return ieStatus;
}

int FakeRunProbes::RetrieveWMPVersion(Version& version) {
    calls.push_back("RetrieveWMPVersion");
    if (wmpStatus == 0) version = wmp;
    return wmpStatus;
}

int FakeRunProbes::RetrieveFlashVersion(Version& version) {
    calls.push_back("RetrieveFlashVersion");
    version = flashStatus == 0 ? flash : std::string("0.0.0.0");
    return flashStatus;
}

void FakeRunProbes::LoadNecessaryLists(int osCode, CNecessaryOcxList& ocx, CNecessaryDllList& dll) {
    calls.push_back("LoadNecessaryLists");
    listOsCode = osCode;
    for (const ComponentFixture& c : components) {
        auto node = std::make_unique<OCXDLLNode>();
        node->name = c.name;
        node->kind = c.kind;
        node->version = c.required;
        if (c.kind == kKindDll)
            dll.Append(std::move(node));
        else
            ocx.Append(std::move(node));
    }
}

void FakeRunProbes::BuildInstalledLists(const CNecessaryOcxList&, const CNecessaryDllList&, CInstalledOcxList& ocx,
                                        CInstalledDllList& dll) {
    calls.push_back("BuildInstalledLists");
    for (const ComponentFixture& c : components) {
        auto node = std::make_unique<OCXDLLNode>();
        node->name = c.name;
        node->kind = c.kind;
        node->version = c.installed;
        node->found = c.found;
        if (c.kind == kKindDll)
            dll.Append(std::move(node));
        else
            ocx.Append(std::move(node));
    }
}

int FakeRunProbes::CheckFlashSecurity(int& setting) {
    calls.push_back("CheckFlashSecurity");
    setting = flashSecurity;
    return 0;
}

int FakeRunProbes::CheckFlashBlocked(int& blocked) {
    calls.push_back("CheckFlashBlocked");
    blocked = flashBlocked;
    return 0;
}

int FakeRunProbes::CheckMarkletBlocked(int& blocked) {
    calls.push_back("CheckMarkletBlocked");
    blocked = markletBlocked;
    return 0;
}

int FakeRunProbes::CheckWMPSRSAutoInsert(int& value) {
    calls.push_back("CheckWMPSRSAutoInsert");
    value = srsAutoInsert;
    return 0;
}

int FakeRunProbes::CheckPopupBlocker(int& on) {
    calls.push_back("CheckPopupBlocker");
    on = popupOn;
    return 0;
}

int FakeRunProbes::GetToolbarListText(std::string& text) {
    calls.push_back("GetToolbarListText");
    text = toolbars;
    return 0;
}

int FakeRunProbes::CheckStatusBarScript(int& allowed) {
    calls.push_back("CheckStatusBarScript");
    allowed = statusBarScript;
    return 0;
}

int FakeRunProbes::CheckSoftwareRendering(int& on) {
    calls.push_back("CheckSoftwareRendering");
    on = softwareRendering;
    return 0;
}

int FakeRunProbes::CheckIE32BitTabs(int& set) {
    calls.push_back("CheckIE32BitTabs");
    set = ie32BitTabs;
    return 0;
}

bool FakeRunProbes::Asked(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool FakeRunProbes::AskedBefore(const std::string& first, const std::string& second) const {
    auto a = std::find(calls.begin(), calls.end(), first);
    auto b = std::find(calls.begin(), calls.end(), second);
    return a != calls.end() && b != calls.end() && a < b;
}

}  // namespace omni::test
