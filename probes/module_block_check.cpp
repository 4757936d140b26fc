#include "probes/module_block_check.h"

#include <algorithm>
#include <string>

#include "platform/handles.h"
#include "platform/registry_delete.h"
#include "platform/text.h"
#include "probes/addon_flags.h"
#include "probes/addon_keys.h"

namespace omni {

namespace {
constexpr int kCheckFailed = -1;
constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

LONG OpenKey(HKEY root, const std::string& path, unique_hkey& key) {
    return RegOpenKeyExW(root, Widen(path).c_str(), 0, kReadWrite, key.addressof());
}

// The owner would swallow the status, and a failing close counts as an error here.
bool CloseReportingFailure(unique_hkey& key) { return RegCloseKey(key.release()) == ERROR_SUCCESS; }
}  // namespace

CModuleBlockCheck::~CModuleBlockCheck() = default;

void CModuleBlockCheck::SetIdentifiers(std::initializer_list<GUID> ids) {
    identifiers_.reset(new GUID[ids.size()]);
    std::copy(ids.begin(), ids.end(), identifiers_.get());
    count_ = static_cast<int>(ids.size());
}

int CModuleBlockCheck::IsBlocked() {
    try {
        return IsBlockedUnguarded();
    } catch (...) {
        return kCheckFailed;
    }
}

int CModuleBlockCheck::Unblock() {
    try {
        return UnblockUnguarded();
    } catch (...) {
        return kCheckFailed;
    }
}

int CModuleBlockCheck::IsBlockedUnguarded() {
    if (!identifiers_ || count_ <= 0) return 0;
    unique_hkey settings;
    if (OpenKey(HKEY_CURRENT_USER, kAddonSettingsPath, settings) != ERROR_SUCCESS) return 0;
    if (!CloseReportingFailure(settings)) return kCheckFailed;

    for (int i = 0; i < count_; ++i) {
        unique_hkey addon;
        std::string path = std::string(kAddonSettingsPath) + "\\" + AddonIdText(identifiers_[i]);
        if (OpenKey(HKEY_CURRENT_USER, path, addon) != ERROR_SUCCESS) continue;
        bool disabled = HasDisabledFlags(addon.get());
        if (!CloseReportingFailure(addon)) return kCheckFailed;
        if (disabled) return 1;
    }
    return 0;
}

int CModuleBlockCheck::UnblockUnguarded() {
    if (!identifiers_ || count_ <= 0) return 0;
    unique_hkey settings;
    LONG opened = OpenKey(HKEY_CURRENT_USER, kAddonSettingsPath, settings);
    if (opened == ERROR_FILE_NOT_FOUND) return 0;  // no records, nothing disabled
    if (opened != ERROR_SUCCESS) return kCheckFailed;
    // A subkey that holds subkeys of its own would survive a plain delete and leave the add-on
    // disabled, so the whole tree goes. A record that stays means the add-on stays disabled.
    bool cleared = true;
    for (int i = 0; i < count_; ++i) {
        LONG status = DeleteRegistryTree(settings.get(), AddonIdText(identifiers_[i]));
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) cleared = false;
    }
    return CloseReportingFailure(settings) && cleared ? 0 : kCheckFailed;
}

}  // namespace omni
