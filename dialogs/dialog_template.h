// Modal dialogs built from the template of the catalogue's language, whatever the thread's UI language.
#pragma once

#include <windows.h>

namespace omni {

// The template of dialog id in language, else in English; null when the module has neither.
const DLGTEMPLATE* FindDialogTemplate(int id, LANGID language);

// Shows dialog id in the catalogue language; the dialog's result, or -1 when it cannot be created.
INT_PTR ShowCatalogDialog(int id, HWND parent, DLGPROC proc, LPARAM param);

}  // namespace omni
