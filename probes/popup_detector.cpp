#include "probes/popup_detector.h"

#include <windows.h>

#include "core/result_codes.h"
#include "machine/registry_key.h"
#include "platform/text.h"
#include "probes/file_version_info.h"

namespace omni {

CPopupDetector::~CPopupDetector() = default;

int CPopupDetector::GetPopupBlockerState() {
    CRegistryKey key;
    if (key.OpenRead(HKEY_CURRENT_USER, kNewWindowsKey) != ERROR_SUCCESS) return 1;
    std::string value;
    if (key.QueryString(kPopupMgrValue, value) != ERROR_SUCCESS) return 1;
    if (value.empty() || EqualsNoCase(value, "no")) return 0;
    return 1;
}

int CPopupDetector::TurnOffPopupBlocker() {
    CRegistryKey key;
    if (key.OpenWrite(HKEY_CURRENT_USER, kNewWindowsKey) != ERROR_SUCCESS) return kRegistryOpenFailed;
    return key.SetString(kPopupMgrValue, "no") == ERROR_SUCCESS ? kOk : kRegistryWriteFailed;
}

int CPopupDetector::EnumerateToolbars() {
    toolbars_.clear();
    std::vector<std::string> names;
    {
        CRegistryKey toolbarKey;
        if (toolbarKey.OpenRead(HKEY_LOCAL_MACHINE, kToolbarKey) != ERROR_SUCCESS) return 0;
        toolbarKey.ListValueNames(names);
    }
    for (const std::string& name : names) {
        // Value names that are not class identifiers find no server key and so no file.
        std::string serverPath;
        CRegistryKey serverKey;
        if (serverKey.OpenRead(HKEY_CLASSES_ROOT, "CLSID\\" + name + "\\InprocServer32") == ERROR_SUCCESS)
            serverKey.QueryString("", serverPath);
        CFileVersionInfo info;
        if (serverPath.empty() || !info.Open(serverPath)) continue;
        toolbars_.push_back({serverPath, info.GetCompanyName(), info.GetFileDescription()});
    }
    return GetToolbarCount();
}

const ToolbarEntry* CPopupDetector::GetToolbar(int index) const {
    if (index < 0 || index >= GetToolbarCount()) return nullptr;
    return &toolbars_[index];
}

std::string FormatToolbarList(const CPopupDetector& detector) {
    std::string text;
    for (int i = 0; i < detector.GetToolbarCount(); ++i) {
        const ToolbarEntry* entry = detector.GetToolbar(i);
        text += Format("%d: %s // %s // %s%%0A%%0D", i + 1, entry->path.c_str(), entry->company.c_str(),
                       entry->description.c_str());
    }
    return text;
}

}  // namespace omni
