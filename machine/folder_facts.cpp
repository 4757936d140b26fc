#include "machine/folder_facts.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/result_codes.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace omni {

namespace {

bool ReadOsVersion(FolderFacts& facts) {
    OSVERSIONINFOEXW extended = {};
    extended.dwOSVersionInfoSize = sizeof(extended);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
        facts.osMajor = extended.dwMajorVersion;
        facts.osMinor = extended.dwMinorVersion;
        return true;
    }
    OSVERSIONINFOW basic = {};
    basic.dwOSVersionInfoSize = sizeof(basic);
    if (!GetVersionExW(&basic)) return false;
    facts.osMajor = basic.dwMajorVersion;
    facts.osMinor = basic.dwMinorVersion;
    return true;
}

// Calls a "fill this buffer, or tell me the size you need" API until the buffer is big enough.
template <typename Fill>
std::wstring GrowingRead(Fill fill) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(n + 1);
    }
    return std::wstring();
}

std::string ReadTempFolder() {
    std::wstring shortForm =
        GrowingRead([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
    std::wstring longForm = GrowingRead([&](wchar_t* buffer, DWORD size) {
        return GetLongPathNameW(shortForm.c_str(), buffer, size);
    });
    return Narrow(longForm.empty() ? shortForm : longForm);  // the short form stays when conversion fails
}

std::string ReadSystemFolder() {
    return Narrow(GrowingRead([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); }));
}

bool ReadAppDataFolder(std::string& folder) {
    wchar_t buffer[MAX_PATH] = {};
    // Not CSIDL_FLAG_CREATE: the set-up creates what it needs itself.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer))) return false;
    folder = Narrow(buffer);
    return true;
}

}  // namespace

int ReadFolderFacts(FolderFacts& facts) {
    if (!ReadOsVersion(facts)) return kOsVersionFailed;
    facts.tempFolder = ReadTempFolder();
    facts.systemFolder = ReadSystemFolder();
    if (facts.systemFolder.empty()) return kSystemFolderFailed;
    facts.appDataKnown = ReadAppDataFolder(facts.appDataFolder);
    // The program that started the process, not this module: local components lie beside it.
    facts.executablePath = ModulePath(nullptr);
    return kOk;
}

void CreateDirectories(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) CreateDirectoryW(Widen(folder).c_str(), nullptr);
}

}  // namespace omni
