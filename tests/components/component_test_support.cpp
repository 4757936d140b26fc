#include "tests/components/component_test_support.h"

#include <windows.h>

#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

ModuleStateScope::ModuleStateScope(int installMode, bool isAdmin)
    : saved_(GetModuleState()), savedMode_(GetFolderMng().GetInstallMode()) {
    GetFolderMng().SetInstallMode(installMode);
    GetModuleState().isAdmin = isAdmin;
    initResult_ = GetFolderMng().Init();
}

ModuleStateScope::~ModuleStateScope() {
    GetModuleState() = saved_;
    GetFolderMng().SetInstallMode(savedMode_);
    GetFolderMng().Init();
}

std::string TestBinBase() { return TestBinFolder() + "\\"; }

PlacedFile::PlacedFile(const std::string& path, const std::string& text) : path_(path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        std::string folder = path.substr(0, at);
        if (CreateDirectoryW(Widen(folder).c_str(), nullptr)) createdFolders_.push_back(folder);
    }
    WriteBytes(path, text);
}

PlacedFile::~PlacedFile() {
    DeleteFileW(Widen(path_).c_str());
    for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it)
        RemoveDirectoryW(Widen(*it).c_str());
}

}  // namespace omni::test
