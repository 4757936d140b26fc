#include "dialogs/dialog_template.h"

#include "core/message_catalog.h"
#include "platform/module_path.h"

namespace omni {

const DLGTEMPLATE* FindDialogTemplate(int id, LANGID language) {
    HMODULE module = CurrentModule();
    HRSRC found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    if (!found) found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), kLangEnglish);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

INT_PTR ShowCatalogDialog(int id, HWND parent, DLGPROC proc, LPARAM param) {
    const DLGTEMPLATE* dialog = FindDialogTemplate(id, GetCatalogLanguage());
    if (!dialog) return -1;
    return DialogBoxIndirectParamW(CurrentModule(), dialog, parent, proc, param);
}

}  // namespace omni
