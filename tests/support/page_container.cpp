#include "tests/support/page_container.h"

#include <shlobj.h>

#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {
bool Regsvr32(const std::string& options) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);  // a 32-bit process is given the 32-bit system folder
    ScratchFolder output;
    CapturedProcess run = RunCaptured("\"" + Narrow(system) + "\\regsvr32.exe\" /s " + options + " \"" +
                                          TestBinFolder() + "\\Omniprobe.ocx\"",
                                      output.path());
    return run.started && run.exitCode == 0;
}
}  // namespace

RegisteredControl::RegisteredControl() : ok_(Regsvr32("")) {}

RegisteredControl::~RegisteredControl() {
    if (ok_) Regsvr32("/u");
}

CapturedProcess RunPage(const std::string& container, const std::string& arguments, const std::string& script,
                        const std::string& folder, DWORD timeoutMs) {
    WriteBytes(folder + "\\page.js", script);
    return RunCaptured("\"" + container + "\" " + arguments + " \"" + folder + "\\page.js\"", folder, timeoutMs);
}

bool CreateFolders(const std::string& path) {
    int status = SHCreateDirectoryExW(nullptr, Widen(path).c_str(), nullptr);
    return status == ERROR_SUCCESS || status == ERROR_ALREADY_EXISTS;
}

}  // namespace omni::test
