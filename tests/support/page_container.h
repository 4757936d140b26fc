// The real control registered for the page container, and pages run in the container as programs.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/captured_process.h"

namespace omni::test {

// Omniprobe.ocx of the bin folder, registered machine-wide by the 32-bit regsvr32 while the object
// lives; the prefix's classes are shared, so its users take ctest's lock omniprobe_registration.
class RegisteredControl {
public:
    RegisteredControl();
    ~RegisteredControl();
    RegisteredControl(const RegisteredControl&) = delete;
    RegisteredControl& operator=(const RegisteredControl&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Writes script as folder\page.js and runs `container arguments page.js`, output captured.
CapturedProcess RunPage(const std::string& container, const std::string& arguments, const std::string& script,
                        const std::string& folder, DWORD timeoutMs = 180000);

// Folders, created with their parents, for content laid out by a test.
bool CreateFolders(const std::string& path);

}  // namespace omni::test
