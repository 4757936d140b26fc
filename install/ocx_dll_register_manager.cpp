#include "install/ocx_dll_register_manager.h"

#include <windows.h>

#include "core/module_state.h"
#include "core/result_codes.h"
#include "install/component_list.h"
#include "install/source_file.h"
#include "machine/component_identity.h"
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
#include "probes/version_retriever.h"

namespace omni {

namespace {

constexpr int kCopyRetries = 2;
constexpr unsigned kMoveAsidePauseMs = 1200;
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

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

// What a replacement must at least be: the list's version, or the copy in place when that is newer.
Version Floor(const Version& listed, const std::string& destination) {
    Version installed;
    if (CVersionRetriever().RetrieveFileVersion(destination, installed) != kOk) return listed;
    return installed >= listed ? installed : listed;
}

// Opens and holds path, then checks who signed it and that it is fileName in at least atLeast.
int OpenComponent(const std::string& path, const std::string& fileName, const Version& atLeast, LockedFile& held) {
    int code = OpenTrustedFile(path, held);
    if (code == kOk) code = CheckComponentIdentity(held, fileName, atLeast);
    if (code != kOk && code != kFileMissing) held.Release();
    return code;
}

struct Placement {
    std::string destination;
    Version floor;
    int retries;
    unsigned pauseMs;
};

// Copies a checked source past an older copy in use, then registers the copy by registerCopy(). Anything
// that fails puts the old copy back.
template <typename Register>
int ReplaceAndRegister(const std::string& source, const std::string& fileName, const Placement& place,
                       Register registerCopy) {
    FileReplacement replacement(place.destination);
    {
        // Checked before anything at the destination moves, and held until the copy is made: a missing,
        // untrusted or other source must not uninstall what works.
        LockedFile heldSource;
        int code = OpenComponent(source, fileName, place.floor, heldSource);
        if (code != kOk) return code;
        code = replacement.Copy(source, place.retries, place.pauseMs);
        if (code != kOk) return code;
    }
    int code;
    {
        // The copy is checked again where it will be registered from, and held until its registration is done.
        LockedFile heldCopy;
        code = OpenComponent(place.destination, fileName, place.floor, heldCopy);
        if (code == kFileMissing) code = kTargetInUse;
        if (code == kOk) code = registerCopy(place.destination);
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

int COCXDLLRegisterManager::ReplaceOcx(const std::string& fileName, int kind, const Version& listed) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    CFolderMng& folders = GetFolderMng();
    if (!folders.IsReady()) return kInitFailed;
    const bool z4 = kind == kKindZ4Control;
    const bool isAdmin = GetModuleState().isAdmin;
    WaitCursor wait;
    SourceFile source;
    if (!source.Provide(z4 ? folders.GetZ4UrlPart() : folders.GetZ3UrlPart(),
                        z4 ? folders.GetZ4OcxFolder() : folders.GetZ3OcxFolder(), fileName))
        return kDownloadFailed;
    const std::string destination =
        (isAdmin ? folders.GetSystemFolder() : (z4 ? folders.GetUserZ4Folder() : folders.GetUserZ3Folder())) + fileName;
    const Placement place{destination, Floor(listed, destination), kCopyRetries, kMoveAsidePauseMs};
    return ReplaceAndRegister(source.path(), fileName, place, [&](const std::string& copy) -> int {
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

int COCXDLLRegisterManager::ReplaceDll(const std::string& fileName, const Version& listed) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    CFolderMng& folders = GetFolderMng();
    if (!folders.IsReady()) return kInitFailed;
    SourceFile source;
    if (!source.Provide(kDllUrlPart, folders.GetDllFolder(), fileName)) return kDownloadFailed;
    const std::string destination = folders.GetSystemFolder() + fileName;
    // One attempt: a support DLL has no pause for the browser to let go of it.
    const Placement place{destination, Floor(listed, destination), 0, 0};
    // A support DLL need not register itself; one that does not load, or whose registration fails, counts.
    return ReplaceAndRegister(source.path(), fileName, place,
                              [](const std::string& copy) { return RegisterInOwnProcess(copy, EntryPoint::kOptional); });
}

int COCXDLLRegisterManager::ReplaceInstallerOcx(const std::string& fileName, const Version& listed) {
    if (!IsPlainFileName(fileName)) return kFileMissing;
    CFolderMng& folders = GetFolderMng();
    if (!folders.IsReady()) return kInitFailed;
    SourceFile source;
    if (!source.Provide(kInstallerUrlPart, folders.GetInstallerFolder(), fileName)) return kDownloadFailed;
    const std::string destination =
        (GetModuleState().isAdmin ? folders.GetSystemFolder() : folders.GetUserZ4Folder()) + fileName;
    const Placement place{destination, Floor(listed, destination), kCopyRetries, kMoveAsidePauseMs};
    return ReplaceAndRegister(source.path(), fileName, place, [](const std::string& copy) {
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
