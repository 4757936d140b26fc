// Registers the Flash stand-in (flash_standin.dll beside the test program) as one generation of
// "ShockwaveFlash.ShockwaveFlash.N" for the lifetime of the object, then removes every key it wrote.
//
// COM activation under Wine reads classes only from the machine hive: a per-user registration in
// HKCU\Software\Classes and a RegOverridePredefKey sandbox are both ignored by CLSIDFromProgID and
// CoCreateInstance. So the registration goes into the real prefix's HKEY_CLASSES_ROOT and must not
// be made while a RegistrySandbox is active.
#pragma once

#include <string>

namespace omni::test {

class FlashGenerationRegistration {
public:
    explicit FlashGenerationRegistration(int generation);
    // serverPath names the in-process server; a missing file gives a ProgID that does not create.
    FlashGenerationRegistration(int generation, const std::string& serverPath);
    ~FlashGenerationRegistration();
    FlashGenerationRegistration(const FlashGenerationRegistration&) = delete;
    FlashGenerationRegistration& operator=(const FlashGenerationRegistration&) = delete;

private:
    std::string progIdKey_;
    std::string classKey_;
};

std::string FlashStandinPath();
std::string FlashProgId(int generation);
// True when any "ShockwaveFlash.ShockwaveFlash.N" (N = 1..15) is present in HKEY_CLASSES_ROOT.
bool AnyFlashGenerationRegistered();

}  // namespace omni::test
