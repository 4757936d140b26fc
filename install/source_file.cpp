#include "install/source_file.h"

#include "core/module_state.h"
#include "install/dlg_down.h"
#include "machine/folder_mng.h"

namespace omni {

bool SourceFile::Provide(const std::string& urlPart, const std::string& localFolder, const std::string& fileName) {
    const CFolderMng& folders = GetFolderMng();
    if (folders.GetInstallMode() != kInstallModeWeb) {
        path_ = localFolder + fileName;
        return true;
    }
    path_.clear();
    if (!folder_.Create(folders.GetTempFolder())) return false;
    CDlgDown dialog;
    dialog.SetSource(folders.GetServerUrl() + urlPart + fileName, folder_.path() + fileName);
    dialog.SetDisplayName(fileName);
    if (!dialog.Fetch()) {
        folder_.Remove();
        return false;
    }
    path_ = folder_.path() + fileName;
    return true;
}

}  // namespace omni
