#include "host/control_setup.h"

#include "diagnosis/message_catalog.h"
#include "install/admin_rights.h"
#include "install/folder_mng.h"
#include "install/module_state.h"

namespace omni::host {

int SetUpLikeTheControl(const std::string& lang, int installMode, int adminOverride) {
    SetCatalogLanguage(LanguageFromLang(lang));
    ModuleState& module = GetModuleState();
    module.installMode = installMode;  // before the folders: they depend on it
    int status = GetFolderMng().Init();
    if (status != 0) return status;
    module.isAdmin = adminOverride < 0 ? HasAdministratorRights() : adminOverride == 1;
    return 0;
}

}  // namespace omni::host
