// Entry points of Omniprobe.ocx: class objects, unloading and self-registration.
#include <windows.h>
#include <olectl.h>

#include "control/omniprobe_ctrl.h"
#include "control/omniprobe_ids.h"
#include "control/omniprobe_prop_page.h"
#include "core/message_catalog.h"
#include "framework/class_factory.h"
#include "framework/class_registration.h"
#include "framework/module_lock.h"
#include "framework/type_library.h"
#include "machine/publisher_trust.h"
#include "platform/module_path.h"

namespace {

using namespace omni;

constexpr UINT kControlTypeText = 1;
constexpr UINT kPropPageTypeText = 2;
constexpr int kToolboxBitmap = 1;

const fw::FactoryEntry kFactories[] = {
    {&kControlClsid, &COmniprobeCtrl::Create},
    {&kPropPageClsid, &COmniprobePropPage::Create},
};

// Type names come from the English catalogue: they are what registry tools show.
std::string EnglishText(UINT id) {
    LANGID previous = GetCatalogLanguage();
    SetCatalogLanguage(kLangEnglish);
    std::string text = LoadMessage(id);
    SetCatalogLanguage(previous);
    return text;
}

fw::ClassRegistration Registration(const CLSID& clsid, const char* progId, UINT typeText) {
    fw::ClassRegistration entry;
    entry.clsid = &clsid;
    entry.progId = progId;
    entry.typeName = EnglishText(typeText);
    return entry;
}

fw::ClassRegistration PropPageRegistration() {
    return Registration(kPropPageClsid, kPropPageProgId, kPropPageTypeText);
}

fw::ClassRegistration ControlRegistration() {
    fw::ClassRegistration entry = Registration(kControlClsid, kControlProgId, kControlTypeText);
    entry.isControl = true;
    entry.miscStatus = kControlMiscStatus;
    entry.toolboxBitmap = kToolboxBitmap;
    entry.libid = &kLibId;
    entry.libVersion = "1.0";
    return entry;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // The file the module was loaded from, before anything can put another one at its path.
        HoldOwnModuleFile(instance);
    }
    // At process exit other DLLs may already be gone; only an unload by FreeLibrary releases.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) fw::ReleaseModuleTypeLib();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return fw::GetFactory(kFactories, sizeof(kFactories) / sizeof(kFactories[0]), clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return fw::ModuleCanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    try {
        std::string path = ModulePath(CurrentModule());
        if (path.empty() || FAILED(fw::RegisterModuleTypeLib(path))) return SELFREG_E_TYPELIB;
        if (!fw::RegisterClassKeys(ControlRegistration(), path) ||
            !fw::RegisterClassKeys(PropPageRegistration(), path))
            return SELFREG_E_CLASS;
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

STDAPI DllUnregisterServer() {
    try {
        if (FAILED(fw::UnregisterModuleTypeLib(kLibId, 1, 0, 0x409))) return SELFREG_E_TYPELIB;
        if (!fw::UnregisterClassKeys(ControlRegistration()) || !fw::UnregisterClassKeys(PropPageRegistration()))
            return SELFREG_E_CLASS;
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

}  // extern "C"
