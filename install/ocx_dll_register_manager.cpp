#include "install/ocx_dll_register_manager.h"

#include <windows.h>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "install/component_list.h"
#include "install/dlg_down.h"
#include "install/folder_mng.h"
#include "install/plain_file_name.h"
#include "install/user_mode_ocx_register_util.h"
#include "platform/handles.h"
#include "platform/registry_delete.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr int kCopyRetries = 2;
constexpr unsigned kMoveAsidePauseMs = 1200;
constexpr char kMovedAsideSuffix[] = ".temp";
constexpr char kDllUrlPart[] = "DLL/";
constexpr char kInstallerUrlPart[] = "Installer/";
constexpr char kSelfOcx[] = "Omniprobe.ocx";
constexpr char kAddonSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";

// The hourglass for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

bool FetchFromServer(const std::string& urlPart, const std::string& fileName) {
    if (GetModuleState().installMode != kInstallModeWeb) return true;
    CDlgDown dialog;
    dialog.SetSource(urlPart, fileName);
    dialog.SetDisplayName(fileName);
    return dialog.Fetch();
}

// Checked before anything at the destination moves: a missing source must not uninstall what works.
bool IsReadableFile(const std::string& path) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    unique_file file(
        CreateFileW(Widen(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION facts = {};
    return GetFileInformationByHandle(file.get(), &facts) && !(facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

}  // namespace

int CopyPastLoadedFile(const std::string& source, const std::string& destination, const std::string& movedAside,
                       int retries, unsigned pauseMs) {
    const std::wstring from = Widen(source), to = Widen(destination), aside = Widen(movedAside);
    for (int attempt = 0; attempt <= retries; ++attempt) {
        if (Exists(destination)) {
            // A loaded module can be renamed but not deleted or overwritten; renamed, the copy can land.
            MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING);
            DeleteFileW(aside.c_str());
            Sleep(pauseMs);
        }
        if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return kOk;
    }
    return kTargetInUse;
}

namespace {
int CallRegisterEntry(const std::string& path, int noLoad, int noEntry) {
    unique_hmodule module(LoadLibraryW(Widen(path).c_str()));
    if (!module) return noLoad;
    using Entry = HRESULT(__stdcall*)();
    auto entry = reinterpret_cast<Entry>(GetProcAddress(module.get(), "DllRegisterServer"));
    if (!entry) return noEntry;
    return SUCCEEDED(entry()) ? kOk : kRegisterFailed;
}
}  // namespace

int SelfRegister(const std::string& path) { return CallRegisterEntry(path, kDllLoadFailed, kRegisterFailed); }

COCXDLLRegisterManager::~COCXDLLRegisterManager() = default;

int COCXDLLRegisterManager::ReplaceOcx(const std::string& fileName, int kind) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    CFolderMng& folders = GetFolderMng();
    const bool z4 = kind == kKindZ4Control;
    std::string source;
    std::string destination;
    {
        WaitCursor wait;
        if (!FetchFromServer(z4 ? folders.GetZ4UrlPart() : folders.GetZ3UrlPart(), fileName)) return kDownloadFailed;
        source = (z4 ? folders.GetZ4OcxFolder() : folders.GetZ3OcxFolder()) + fileName;
        if (!IsReadableFile(source)) return kFileMissing;
        if (GetModuleState().isAdmin) {
            // A per-user registration would shadow the machine-wide one; the control itself keeps its own.
            if (!EqualsNoCase(fileName, kSelfOcx)) GetUserModeOcxRegisterUtil().Unregister(fileName);
            destination = folders.GetSystemFolder() + fileName;
        } else {
            destination = (z4 ? folders.GetUserZ4Folder() : folders.GetUserZ3Folder()) + fileName;
        }
        int copied = CopyPastLoadedFile(source, destination, folders.GetTempFolder() + fileName + kMovedAsideSuffix,
                                        kCopyRetries, kMoveAsidePauseMs);
        if (copied != kOk) return copied;
    }
    if (GetModuleState().isAdmin) return SelfRegister(destination);
    CUserModeOcxRegisterUtil& perUser = GetUserModeOcxRegisterUtil();
    perUser.SetFolder(fileName, FolderOf(destination));
    return perUser.Register(fileName) == 1 ? kOk : kRegisterFailed;
}

int COCXDLLRegisterManager::ReplaceDll(const std::string& fileName) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    if (!FetchFromServer(kDllUrlPart, fileName)) return kDownloadFailed;
    CFolderMng& folders = GetFolderMng();
    const std::string destination = folders.GetSystemFolder() + fileName;
    if (!CopyFileW(Widen(folders.GetDllFolder() + fileName).c_str(), Widen(destination).c_str(), FALSE))
        return kTargetInUse;
    // A support DLL need not load here nor register itself; only a registration that failed counts.
    return CallRegisterEntry(destination, kOk, kOk);
}

int COCXDLLRegisterManager::ReplaceInstallerOcx(const std::string& fileName) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    if (!FetchFromServer(kInstallerUrlPart, fileName)) return kDownloadFailed;
    CFolderMng& folders = GetFolderMng();
    const std::string source = folders.GetInstallerFolder() + fileName;
    if (!IsReadableFile(source)) return kFileMissing;
    const std::string destination =
        (GetModuleState().isAdmin ? folders.GetSystemFolder() : folders.GetUserZ4Folder()) + fileName;
    int copied = CopyPastLoadedFile(source, destination, folders.GetTempFolder() + fileName + kMovedAsideSuffix,
                                    kCopyRetries, kMoveAsidePauseMs);
    return copied != kOk ? copied : SelfRegister(destination);
}

int COCXDLLRegisterManager::EnableAddon(const std::string& fileName) {
    const std::string clsid = GetUserModeOcxRegisterUtil().GetClsidText(fileName);
    if (clsid.empty()) return 0;
    unique_hkey settings;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kAddonSettingsKey).c_str(), 0, KEY_READ, settings.addressof()) !=
        ERROR_SUCCESS)
        return 0;
    return DeleteRegistryKey(settings.get(), clsid) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace omni
