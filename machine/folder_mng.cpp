#include "machine/folder_mng.h"

#include "core/module_state.h"
#include "core/result_codes.h"
#include "machine/folder_facts.h"

namespace omni {

namespace {
bool nt60FolderFlag = false;
CFolderMng* activeFolders = nullptr;
}  // namespace

CFolderMng::CFolderMng() : installMode_(kInstallModeWeb) {}
CFolderMng::~CFolderMng() = default;

void CFolderMng::SetInstallMode(int installMode) { installMode_ = installMode; }
int CFolderMng::GetInstallMode() const { return installMode_; }

int CFolderMng::Init() {
    FolderFacts facts;
    int rc = ReadFolderFacts(facts);
    if (rc != kOk) return rc;
    FolderPlan plan = PlanFolders(facts, installMode_);
    CreateDirectories(plan.directoriesToCreate);
    if (plan.nt60) nt60FolderFlag = true;
    layout_ = plan.layout;
    ready_ = true;
    return kOk;
}

bool CFolderMng::IsReady() const { return ready_; }

void CFolderMng::SwitchZ4To98() { ApplyLegacyZ4Variant(layout_, installMode_); }

void CFolderMng::SetListFolder(const std::string& folder) {
    if (installMode_ != kInstallModeWeb) return;
    layout_.dllSource = layout_.z4Source = layout_.z3Source = folder;
}

void CFolderMng::SetServerUrl(const std::string& url) { serverUrl_ = url; }
std::string CFolderMng::GetServerUrl() const { return serverUrl_; }

void CFolderMng::SetSamplePages(const std::string& z4Url, const std::string& z3Url) {
    sampleZ4Url_ = z4Url;
    sampleZ3Url_ = z3Url;
}
std::string CFolderMng::GetSampleZ4Url() const { return sampleZ4Url_; }
std::string CFolderMng::GetSampleZ3Url() const { return sampleZ3Url_; }

std::string CFolderMng::GetOcxListZ4Path() const { return layout_.z4Source + kOcxListZ4FileName; }
std::string CFolderMng::GetOcxListZ3Path() const { return layout_.z3Source + kOcxListZ3FileName; }
std::string CFolderMng::GetZ4OcxFolder() const { return layout_.z4Source; }
std::string CFolderMng::GetZ3OcxFolder() const { return layout_.z3Source; }
std::string CFolderMng::GetDllFolder() const { return layout_.dllSource; }
std::string CFolderMng::GetInstallerFolder() const { return layout_.installerSource; }
std::string CFolderMng::GetTempFolder() const { return layout_.temp; }
std::string CFolderMng::GetSystemFolder() const { return layout_.system; }
std::string CFolderMng::GetUserZ4Folder() const { return layout_.userZ4; }
std::string CFolderMng::GetUserZ3Folder() const { return layout_.userZ3; }
std::string CFolderMng::GetZ4UrlPart() const { return layout_.z4UrlPart; }
std::string CFolderMng::GetZ3UrlPart() const { return layout_.z3UrlPart; }
std::string CFolderMng::GetLocalBaseFolder() const { return layout_.localBase; }
std::string CFolderMng::GetUserBaseFolder() const { return layout_.userBase; }

CFolderMng& GetFolderMng() {
    static CFolderMng moduleFolders;  // for code that runs outside any control object's call
    return activeFolders ? *activeFolders : moduleFolders;
}

ActiveFolders::ActiveFolders(CFolderMng& folders) : previous_(activeFolders) { activeFolders = &folders; }
ActiveFolders::~ActiveFolders() { activeFolders = previous_; }

bool GetNt60FolderFlag() { return nt60FolderFlag; }
void ClearNt60FolderFlag() { nt60FolderFlag = false; }

}  // namespace omni
