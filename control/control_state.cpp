#include "control/control_state.h"

#include <windows.h>

#include "core/message_catalog.h"
#include "core/module_state.h"
#include "machine/admin_rights.h"
#include "machine/folder_mng.h"

namespace omni {

bool AcceptScriptInstallMode(long value) { return value == kInstallModeLocal || value == kInstallModeWeb; }

long NormalisedInstallMode(long value) {
    return value >= kInstallModeLocal && value <= kInstallModeLocalLinks ? value : kInstallModeLocal;
}

void ApplyLanguage(const std::string& lang) {
    LANGID language = LanguageFromLang(lang);
    SetCatalogLanguage(language);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version)) return;
#pragma GCC diagnostic pop
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6) return;
    // Resource lookups of the system follow the UI language from Vista on; older kernels lack the call.
    using SetUiLanguage = LANGID(WINAPI*)(LANGID);
    HMODULE kernel = GetModuleHandleW(L"Kernel32.dll");
    auto set = kernel ? reinterpret_cast<SetUiLanguage>(GetProcAddress(kernel, "SetThreadUILanguage")) : nullptr;
    if (set) set(language);
}

void SetUpOnWindowCreation(ControlState& state) {
    state.setUp = true;
    ApplyLanguage(state.lang);
    CFolderMng& folders = GetFolderMng();
    folders.SetInstallMode(state.installMode);  // before the folders: they depend on it
    ClearNt60FolderFlag();
    state.folderSetup = folders.Init();
    if (state.folderSetup != 0) return;
    state.initFailed = false;
    GetModuleState().isAdmin = HasAdministratorRights();
}

}  // namespace omni
