#include "machine/folder_layout.h"

#include "core/module_state.h"

namespace omni {

std::string WithBackslash(const std::string& folder) {
    if (folder.empty() || folder.back() == '\\') return folder;
    return folder + "\\";
}

std::string DriveAndDirectoryOf(const std::string& path) {
    size_t separator = path.find_last_of("\\/");
    if (separator != std::string::npos) return path.substr(0, separator + 1);
    // A bare "C:file" still has a drive.
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return std::string();
}

namespace {

bool IsLocalMode(int installMode) {
    return installMode == kInstallModeLocal || installMode == kInstallModeLocalLinks;
}

void PlanUserFolders(const FolderFacts& facts, FolderPlan& plan) {
    FolderLayout& layout = plan.layout;
    if (!facts.appDataKnown) {
        // The user Z3 and Z4 folders stay empty: a per-user installation then writes relative
        // to the current directory.
        layout.userBase = layout.temp;
        return;
    }
    layout.userBase = WithBackslash(facts.appDataFolder);
    layout.userZ4 = layout.userBase + kUserZ4FolderName;
    layout.userZ3 = layout.userBase + kUserZ3FolderName;
    plan.nt60 = facts.osMajor == 6 && facts.osMinor == 0;
    if (!plan.nt60) plan.directoriesToCreate.push_back(layout.userBase);
    plan.directoriesToCreate.push_back(layout.userBase + kMakerFolderName);
    plan.directoriesToCreate.push_back(layout.userZ3);
    plan.directoriesToCreate.push_back(layout.userZ4);
}

void PlanSourceFolders(const FolderFacts& facts, int installMode, FolderLayout& layout) {
    if (IsLocalMode(installMode)) {
        layout.localBase = DriveAndDirectoryOf(facts.executablePath);
        layout.dllSource = layout.localBase + kDllSourceName;
        layout.z4Source = layout.localBase + kZ4SourceName;
        layout.z3Source = layout.localBase + kZ3SourceName;
        layout.installerSource = layout.localBase + kInstallerSourceName;
    } else if (installMode == kInstallModeWeb) {
        layout.dllSource = layout.temp;
        layout.z4Source = layout.temp;
        layout.z3Source = layout.temp;
        layout.installerSource = layout.temp;
        layout.z4UrlPart = kZ4UrlPart;
        layout.z3UrlPart = kZ3UrlPart;
    }
}

}  // namespace

FolderPlan PlanFolders(const FolderFacts& facts, int installMode) {
    FolderPlan plan;
    plan.layout.temp = WithBackslash(facts.tempFolder);
    plan.layout.system = WithBackslash(facts.systemFolder);
    PlanUserFolders(facts, plan);
    PlanSourceFolders(facts, installMode, plan.layout);
    return plan;
}

void ApplyLegacyZ4Variant(FolderLayout& layout, int installMode) {
    if (IsLocalMode(installMode))
        layout.z4Source = layout.localBase + kZ4LegacySourceName;
    else if (installMode == kInstallModeWeb)
        layout.z4UrlPart = kZ4LegacyUrlPart;
}

}  // namespace omni
