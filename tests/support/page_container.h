// The real control registered for the page container, and pages run in the container as programs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/captured_process.h"
#include "tests/support/scratch_folder.h"

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

// A stock Wine prefix lacks Media Player's folder value that Windows has; without it a diagnosis stops
// after the basic group. Sets the value as Windows has it while the object lives, when it is missing.
class MediaPlayerFolderValue {
public:
    MediaPlayerFolderValue();
    ~MediaPlayerFolderValue();
    MediaPlayerFolderValue(const MediaPlayerFolderValue&) = delete;
    MediaPlayerFolderValue& operator=(const MediaPlayerFolderValue&) = delete;

private:
    bool added_ = false;
};

// The control registered and Media Player's folder value set from the first call until the test
// program ends (each registration is a 32-bit regsvr32 under emulation); whether the registration worked.
bool RegisterControlForTheProgram();

// A suite whose pages run the registered control on a PC laid out as Windows has it (see
// RegisterControlForTheProgram). Base: ::testing::Test or TestWithParam.
template <class Base = ::testing::Test>
class ControlPageSuite : public Base {
protected:
    static void SetUpTestSuite() { registered_ = RegisterControlForTheProgram(); }
    static void TearDownTestSuite() {}
    static bool ControlRegistered() { return registered_; }

private:
    inline static bool registered_ = false;
};

// A page that calls Retrieve `calls` times; it prints "event <report on one line>" for each event and
// "return <code>" for each call, one line each.
std::string RetrievePage(int calls);

// Writes script as folder\page.js and runs `container arguments page.js`, output captured.
CapturedProcess RunPage(const std::string& container, const std::string& arguments, const std::string& script,
                        const std::string& folder, DWORD timeoutMs = 180000);

// Closes the windows that the browser object's server opened (it outlives the page) as a user would.
// Their size is not checked: Wine's browser object ignores Width and Height.
void CloseBrowserWindows();

// A fresh temporary folder (TMP and TEMP) for the programs this process starts, until destroyed.
class ChildTempFolder {
public:
    ChildTempFolder();
    ~ChildTempFolder();
    ChildTempFolder(const ChildTempFolder&) = delete;
    ChildTempFolder& operator=(const ChildTempFolder&) = delete;
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    ScratchFolder folder_;
    std::wstring tmp_, temp_;
};

}  // namespace omni::test
