#include "tests/support/page_container.h"

#include "platform/text.h"
#include "tests/support/program_end.h"
#include "tests/support/registry_sandbox.h"

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

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
}
}  // namespace

RegisteredControl::RegisteredControl() : ok_(Regsvr32("")) {}

RegisteredControl::~RegisteredControl() {
    if (ok_) Regsvr32("/u");
}

namespace {
const char kWmpKey[] = "Software\\Microsoft\\MediaPlayer";
const char kWmpFolderValue[] = "Installation Directory";
}  // namespace

MediaPlayerFolderValue::MediaPlayerFolderValue() {
    added_ = !ValuePresent(HKEY_LOCAL_MACHINE, kWmpKey, kWmpFolderValue);
    if (added_) SetString(HKEY_LOCAL_MACHINE, kWmpKey, kWmpFolderValue, "C:\\Program Files\\Windows Media Player");
}

MediaPlayerFolderValue::~MediaPlayerFolderValue() {
    if (added_) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, Widen(kWmpKey).c_str(), Widen(kWmpFolderValue).c_str());
}

bool RegisterControlForTheProgram() {
    static std::unique_ptr<RegisteredControl> control;
    static std::unique_ptr<MediaPlayerFolderValue> mediaPlayerFolder;
    if (!control) {
        control = std::make_unique<RegisteredControl>();
        mediaPlayerFolder = std::make_unique<MediaPlayerFolderValue>();
        AtProgramEnd([] {
            mediaPlayerFolder.reset();
            control.reset();
        });
    }
    return control->ok();
}

std::string RetrievePage(int calls) {
    return "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
           "  document.write('event ' + XmlText.replace(/[\\r\\n]/g, '') + '\\n');\n"
           "}\n"
           "for (var i = 0; i < " + std::to_string(calls) + "; i++)\n"
           "  document.write('return ' + Omniprobe.Retrieve() + '\\n');\n"
           "window.close(0);\n";
}

CapturedProcess RunPage(const std::string& container, const std::string& arguments, const std::string& script,
                        const std::string& folder, DWORD timeoutMs) {
    WriteBytes(folder + "\\page.js", script);
    return RunCaptured("\"" + container + "\" " + arguments + " \"" + folder + "\\page.js\"", folder, timeoutMs);
}

void CloseBrowserWindows() {
    for (int tries = 20; tries-- > 0; Sleep(500)) {
        HWND w = FindWindowW(L"IEFrame", nullptr);
        if (!w) break;
        PostMessageW(w, WM_CLOSE, 0, 0);
    }
}

ChildTempFolder::ChildTempFolder() : tmp_(Environment(L"TMP")), temp_(Environment(L"TEMP")) {
    SetEnvironmentVariableW(L"TMP", Widen(folder_.path() + "\\").c_str());
    SetEnvironmentVariableW(L"TEMP", Widen(folder_.path() + "\\").c_str());
}

ChildTempFolder::~ChildTempFolder() {
    SetEnvironmentVariableW(L"TMP", tmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", temp_.c_str());
}

}  // namespace omni::test
