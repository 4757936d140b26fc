#include "tests/install/install_suite.h"

#include <shlobj.h>
#include <wininet.h>

#include "tests/support/program_end.h"

namespace omni::test {

namespace {
std::unique_ptr<ChildTempFolder> temp;

void WarmUp() {
    ScratchFolder page;
    CopyFileW(Widen(TestBinFolder() + "\\omniprobe_page.exe").c_str(), Widen(page.file("omniprobe_page.exe")).c_str(),
              FALSE);
    RunRepairPage(page.file("omniprobe_page.exe"), page.path(), "--param InstallMode=0",
                  "Omniprobe.Retrieve();\nwindow.close(0);\n");
    // The system's first signature check and first internet session in a profile set up the user's
    // certificate store, the trust provider's state and the proxy settings; here, not during a case
    // whose registry is being compared.
    PublisherTrust().Trusts(LockedFile::Open(TestBinFolder() + "\\regserver_standin.dll"));
    InternetCloseHandle(InternetOpenW(L"warm-up", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}
}  // namespace

void PrepareInstallCases() {
    if (temp) return;
    temp = std::make_unique<ChildTempFolder>();
    AtProgramEnd([] { temp.reset(); });
    WarmUp();
}

std::string InstallTempFile(const std::string& name) { return temp ? temp->file(name) : ""; }

std::string SignedVariant(const std::string& kind, const std::string& file) {
    return ReadBytes(TestBinFolder() + "\\signatures\\" + kind + "\\" + file);
}

MachineSnapshot TakeSnapshot(const std::string& pageFolder) {
    wchar_t system[MAX_PATH] = {}, appData[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    GetTempPathW(MAX_PATH, temp);
    std::string tempFolder = Narrow(temp);
    if (!tempFolder.empty() && tempFolder.back() == '\\') tempFolder.pop_back();
    return MachineSnapshot({Narrow(system), Narrow(appData) + "\\Orvane Zentra", tempFolder, pageFolder},
                           {{HKEY_CURRENT_USER, "Software", 0},
                            {HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID", 0},
                            {HKEY_LOCAL_MACHINE, "Software\\Classes\\TypeLib", 0},
                            {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0}});
}

std::vector<std::string> ChangesBetween(const MachineSnapshot& before, const MachineSnapshot& after) {
    std::vector<std::string> changes;
    for (const std::string& change : before.ChangesTo(after)) {
        // The page's script is the test's own, written for the run, and so are the stand-ins' record and
        // the files through which a page session takes its steps.
        if (change.find("Software\\Wine") != std::string::npos || change.find("\\page.js ") != std::string::npos ||
            change.find("\\standin.log ") != std::string::npos || change.find("\\page-session\\") != std::string::npos)
            continue;
        // Windows always runs the RPC service; Wine starts it the first time a program asks for a class
        // out of process (the XML parser, when it is hidden), whichever case that happens in.
        if (change == "+ program rpcss.exe") continue;
        changes.push_back(change);
    }
    return changes;
}

}  // namespace omni::test
