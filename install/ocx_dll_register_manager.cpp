#include "install/ocx_dll_register_manager.h"

#include <windows.h>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "install/component_list.h"
#include "install/dlg_down.h"
#include "machine/file_replacement.h"
#include "machine/folder_mng.h"
#include "machine/locked_file.h"
#include "machine/plain_file_name.h"
#include "machine/publisher_trust.h"
#include "machine/self_registration.h"
#include "machine/user_mode_ocx_register_util.h"
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

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string AsidePath(const std::string& fileName) {
    return GetFolderMng().GetTempFolder() + fileName + kMovedAsideSuffix;
}

// The copy at the destination is checked again where it will be loaded and registered from, and held
// until its registration is done.
int CheckDestination(const std::string& destination, LockedFile& held) {
    int code = OpenTrustedFile(destination, held);
    return code == kFileMissing ? kTargetInUse : code;
}

// Copies a checked source past an older copy in use, then registers the copy by register(). Anything
// that fails puts the old copy back.
template <typename Register>
int ReplaceAndRegister(const std::string& source, const std::string& destination, const std::string& fileName,
                       Register registerCopy) {
    FileReplacement replacement(destination, AsidePath(fileName));
    {
        // Checked before anything at the destination moves, and held until the copy is made: a missing or
        // untrusted source must not uninstall what works.
        LockedFile heldSource;
        int code = OpenTrustedSource(source, heldSource);
        if (code != kOk) return code;
        code = replacement.Copy(source, kCopyRetries, kMoveAsidePauseMs);
        if (code != kOk) return code;
    }
    int code;
    {
        LockedFile heldCopy;
        code = CheckDestination(destination, heldCopy);
        if (code == kOk) code = registerCopy(destination);
    }  // released before a roll-back deletes the copy
    if (code != kOk) {
        replacement.RollBack();
        return code;
    }
    replacement.Commit();
    return kOk;
}

}  // namespace

COCXDLLRegisterManager::~COCXDLLRegisterManager() = default;

int COCXDLLRegisterManager::ReplaceOcx(const std::string& fileName, int kind) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    CFolderMng& folders = GetFolderMng();
    const bool z4 = kind == kKindZ4Control;
    const bool isAdmin = GetModuleState().isAdmin;
    WaitCursor wait;
    if (!FetchFromServer(z4 ? folders.GetZ4UrlPart() : folders.GetZ3UrlPart(), fileName)) return kDownloadFailed;
    const std::string source = (z4 ? folders.GetZ4OcxFolder() : folders.GetZ3OcxFolder()) + fileName;
    const std::string destination =
        (isAdmin ? folders.GetSystemFolder() : (z4 ? folders.GetUserZ4Folder() : folders.GetUserZ3Folder())) + fileName;
    return ReplaceAndRegister(source, destination, fileName, [&](const std::string& copy) -> int {
        if (!isAdmin) {
            CUserModeOcxRegisterUtil& perUser = GetUserModeOcxRegisterUtil();
            perUser.SetFolder(fileName, FolderOf(copy));
            return perUser.Register(fileName) == 1 ? kOk : kRegisterFailed;
        }
        int code = RegisterInOwnProcess(copy, EntryPoint::kRequired);
        // A per-user registration would shadow the machine-wide one; it goes only once the new copy has
        // registered, so a failure leaves the control registered where it was. The control keeps its own.
        if (code == kOk && !EqualsNoCase(fileName, kSelfOcx)) GetUserModeOcxRegisterUtil().Unregister(fileName);
        return code;
    });
}

int COCXDLLRegisterManager::ReplaceDll(const std::string& fileName) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    if (!FetchFromServer(kDllUrlPart, fileName)) return kDownloadFailed;
    CFolderMng& folders = GetFolderMng();
    const std::string source = folders.GetDllFolder() + fileName;
    const std::string destination = folders.GetSystemFolder() + fileName;
    // One attempt, no move-aside: a support DLL in use stays as it is (-34).
    {
        LockedFile heldSource;
        int code = OpenTrustedSource(source, heldSource);
        if (code != kOk) return code;
        if (!CopyFileW(Widen(source).c_str(), Widen(destination).c_str(), FALSE)) return kTargetInUse;
    }
    LockedFile heldCopy;
    int code = CheckDestination(destination, heldCopy);
    if (code != kOk) {
        heldCopy.Release();
        DeleteFileW(Widen(destination).c_str());
        return code;
    }
    // A support DLL need not register itself; one that does not load, or whose registration fails, counts.
    return RegisterInOwnProcess(destination, EntryPoint::kOptional);
}

int COCXDLLRegisterManager::ReplaceInstallerOcx(const std::string& fileName) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    if (!FetchFromServer(kInstallerUrlPart, fileName)) return kDownloadFailed;
    CFolderMng& folders = GetFolderMng();
    const std::string source = folders.GetInstallerFolder() + fileName;
    const std::string destination =
        (GetModuleState().isAdmin ? folders.GetSystemFolder() : folders.GetUserZ4Folder()) + fileName;
    return ReplaceAndRegister(source, destination, fileName, [](const std::string& copy) {
        return RegisterInOwnProcess(copy, EntryPoint::kRequired);
    });
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
