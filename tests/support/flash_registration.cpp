#include "tests/support/flash_registration.h"

#include <windows.h>

#include "fixtures/flash_standin/flash_standin.h"
#include "platform/text.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {
std::string GuidText(const GUID& guid) {
    wchar_t text[64] = {};
    StringFromGUID2(guid, text, 64);
    return Narrow(std::wstring(text));
}
}  // namespace

std::string FlashStandinPath() { return TestBinFolder() + "\\flash_standin.dll"; }

std::string FlashProgId(int generation) { return "ShockwaveFlash.ShockwaveFlash." + std::to_string(generation); }

bool AnyFlashGenerationRegistered() {
    for (int generation = 1; generation <= 15; ++generation) {
        if (KeyPresent(HKEY_CLASSES_ROOT, FlashProgId(generation))) return true;
    }
    return false;
}

FlashGenerationRegistration::FlashGenerationRegistration(int generation)
    : FlashGenerationRegistration(generation, FlashStandinPath()) {}

FlashGenerationRegistration::FlashGenerationRegistration(int generation, const std::string& serverPath)
    : progIdKey_(FlashProgId(generation)), classKey_("CLSID\\" + GuidText(FlashStandinClsid(generation))) {
    SetString(HKEY_CLASSES_ROOT, progIdKey_, "", "Flash stand-in");
    SetString(HKEY_CLASSES_ROOT, progIdKey_ + "\\CLSID", "", GuidText(FlashStandinClsid(generation)));
    SetString(HKEY_CLASSES_ROOT, classKey_, "", "Flash stand-in");
    SetString(HKEY_CLASSES_ROOT, classKey_ + "\\InprocServer32", "", serverPath);
    SetString(HKEY_CLASSES_ROOT, classKey_ + "\\InprocServer32", "ThreadingModel", "Apartment");
    SetString(HKEY_CLASSES_ROOT, classKey_ + "\\ProgID", "", progIdKey_);
}

FlashGenerationRegistration::~FlashGenerationRegistration() {
    DeleteTree(HKEY_CLASSES_ROOT, progIdKey_);
    DeleteTree(HKEY_CLASSES_ROOT, classKey_);
}

}  // namespace omni::test
