// The version probes of the façade; the settings operations live in their own files.
#include "probes/version_retriever.h"

#include <windows.h>

#include <vector>

#include "core/result_codes.h"
#include "platform/file_probe.h"
#include "platform/text.h"
#include "probes/file_version_info.h"

namespace omni {

namespace {
const char kIEKey[] = "Software\\Microsoft\\Internet Explorer";
const char kMediaPlayerKey[] = "Software\\Microsoft\\MediaPlayer";
const char kMediaPlayerFolderValue[] = "Installation Directory";
const char kNoVersion[] = "0.0.0.0";

std::string ExpandVariables(const std::string& text) {
    std::wstring wide = Widen(text);
    DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::vector<wchar_t> expanded(needed, L'\0');
    DWORD written = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return text;
    return Narrow(std::wstring(expanded.data()));
}

}  // namespace

int CVersionRetriever::RetrieveIEVersion(Version& version) {
    std::string text;
    int status = registry_.GetStringValue(HKEY_LOCAL_MACHINE, kIEKey, "Version", text);
    if (status != kOk) return status;
    version = text;
    return kOk;
}

int CVersionRetriever::RetrieveIEServiceVersion(Version& version) {
    std::string text;
    int status = registry_.GetStringValue(HKEY_LOCAL_MACHINE, kIEKey, "svcVersion", text);
    if (status != kOk) return status;
    version = text;
    return kOk;
}

int CVersionRetriever::RetrieveWMPVersion(Version& version) {
    std::string folder;
    int status = registry_.GetStringValue(HKEY_LOCAL_MACHINE, kMediaPlayerKey, kMediaPlayerFolderValue, folder);
    if (status != kOk) return status;
    folder = ExpandVariables(folder);
    std::string player = folder + "\\wmplayer.exe";
    if (!IsFile(player)) player = folder + "\\mplayer2.exe";
    // A player without a readable version shows as 0.0.0.0; the probe itself still succeeded.
    RetrieveFileVersion(player, version);
    return kOk;
}

int CVersionRetriever::RetrieveFlashVersion(Version& version) {
    int generation = flashVer_.FindFlashGeneration();
    if (generation == 0) {
        version = kNoVersion;
        return kFlashVersionFailed;
    }
    version = Format("%d.%d.%d.%d", generation, 0, 0, 0);
    return kOk;
}

int CVersionRetriever::RetrieveFileVersion(const std::string& path, Version& version) {
    // A bare file name would be looked up along the search path; only full paths are meant.
    if (path.find('\\') == std::string::npos) {
        version = kNoVersion;
        return kFileMissing;
    }
    std::vector<BYTE> resource;
    VS_FIXEDFILEINFO fixed{};
    if (!ReadVersionResource(path, resource) || !QueryFixedFileInfo(resource, fixed)) {
        version = kNoVersion;
        return kFileMissing;
    }
    version = Format("%d.%d.%d.%d", static_cast<int>(HIWORD(fixed.dwFileVersionMS)),
                     static_cast<int>(LOWORD(fixed.dwFileVersionMS)), static_cast<int>(HIWORD(fixed.dwFileVersionLS)),
                     static_cast<int>(LOWORD(fixed.dwFileVersionLS)));
    return kOk;
}

}  // namespace omni
