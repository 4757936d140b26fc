#include "probes/addon_inspector.h"

#include <windows.h>

#include "core/message_catalog.h"
#include "platform/handles.h"
#include "platform/subkey_names.h"
#include "platform/text.h"
#include "probes/addon_flags.h"
#include "probes/addon_keys.h"
#include "probes/file_version_info.h"

namespace omni {

namespace {
constexpr UINT kTextActiveXControl = 300;
constexpr UINT kTextBrowserHelperObject = 301;
constexpr UINT kTextBrowserExtension = 302;
constexpr UINT kTextDisabledHeading = 307;

bool OpenForReading(HKEY root, const std::string& path, unique_hkey& key) {
    return RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, key.addressof()) == ERROR_SUCCESS;
}

// A REG_SZ or REG_EXPAND_SZ value of any length, unexpanded. name "" is the default value.
bool ReadText(HKEY key, const std::string& name, std::string& text, DWORD* typeOut = nullptr) {
    std::wstring wideName = Widen(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::wstring buffer;
    for (int attempt = 0; attempt < 3; ++attempt) {  // the value may grow between the calls
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &bytes);
        if (rc == ERROR_MORE_DATA) {
            size = bytes;
            continue;
        }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
        buffer.resize(bytes / sizeof(wchar_t));
        size_t end = buffer.find(L'\0');  // stored values may or may not carry their terminator
        if (end != std::wstring::npos) buffer.resize(end);
        text = Narrow(buffer);
        if (typeOut) *typeOut = type;
        return true;
    }
    return false;
}

std::string ExpandedPath(const std::string& path) {
    std::wstring wide = Widen(path);
    DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::wstring out(needed, L'\0');
    DWORD written = ExpandEnvironmentStringsW(wide.c_str(), &out[0], needed);
    if (written == 0 || written > needed) return path;
    out.resize(written - 1);
    return Narrow(out);
}

// Server paths are sometimes stored in quotes.
std::string Unquoted(const std::string& path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') return path.substr(1, path.size() - 2);
    return path;
}

// File name and extension: everything after the last folder separator or drive colon.
std::string FileNameOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool IsExtension(const std::string& id) {
    unique_hkey key;
    if (!OpenForReading(HKEY_LOCAL_MACHINE, std::string(kExtensionsPath) + "\\" + id, key)) return false;
    std::string buttonText;
    return ReadText(key.get(), kExtensionButtonTextValue, buttonText);
}

bool IsBrowserHelperObject(const std::string& id) {
    unique_hkey key;
    return OpenForReading(HKEY_LOCAL_MACHINE, std::string(kBrowserHelperObjectsPath) + "\\" + id, key);
}

// Name from the class key; company and file from its in-process server, when it has one.
bool LookUpClass(const std::string& id, DisabledAddon& entry) {
    std::string classPath = std::string(kClsidPath) + "\\" + id;
    unique_hkey classKey;
    if (!OpenForReading(HKEY_CLASSES_ROOT, classPath, classKey)) return false;
    if (!ReadText(classKey.get(), "", entry.name)) return false;

    unique_hkey serverKey;
    if (!OpenForReading(HKEY_CLASSES_ROOT, classPath + "\\" + kInprocServerKeyName, serverKey)) return true;
    std::string serverPath;
    DWORD type = REG_SZ;
    if (!ReadText(serverKey.get(), "", serverPath, &type)) return true;
    serverPath = Unquoted(serverPath);
    if (type == REG_EXPAND_SZ) serverPath = ExpandedPath(serverPath);

    CFileVersionInfo info;
    if (info.Open(serverPath)) entry.company = info.GetCompanyName();
    entry.file = FileNameOf(serverPath);
    return true;
}
}  // namespace

CAddonInspector::~CAddonInspector() = default;

std::vector<std::string> CAddonInspector::CollectDisabledIds() {
    std::vector<std::string> ids;
    unique_hkey settings;
    if (!OpenForReading(HKEY_CURRENT_USER, kAddonSettingsPath, settings)) return ids;
    std::vector<std::string> names;
    ListSubkeyNames(settings.get(), names);
    for (const std::string& id : names) {
        unique_hkey addon;
        if (OpenForReading(HKEY_CURRENT_USER, std::string(kAddonSettingsPath) + "\\" + id, addon) &&
            HasDisabledFlags(addon.get()))
            ids.push_back(id);
    }
    return ids;
}

std::vector<DisabledAddon> CAddonInspector::BuildEntries(const std::vector<std::string>& ids) {
    std::vector<DisabledAddon> entries;
    for (const std::string& id : ids) {
        DisabledAddon entry;
        if (IsExtension(id)) {
            entry.type = LoadMessage(kTextBrowserExtension);
        } else if (IsBrowserHelperObject(id)) {
            if (!LookUpClass(id, entry)) continue;
            entry.type = LoadMessage(kTextBrowserHelperObject);
        } else {
            if (!LookUpClass(id, entry)) continue;
            entry.type = LoadMessage(kTextActiveXControl);
        }
        entries.push_back(entry);
    }
    return entries;
}

std::string CAddonInspector::GetDisabledAddonText() {
    return FormatDisabledAddonText(LoadMessage(kTextDisabledHeading), BuildEntries(CollectDisabledIds()));
}

std::string FormatDisabledAddonText(const std::string& heading, const std::vector<DisabledAddon>& entries) {
    std::string text = heading + "\r\n";
    int number = 0;
    for (const DisabledAddon& entry : entries) {
        text += Format("%d. ", ++number);
        text += entry.name + "\t" + entry.company + "\t" + entry.type + "\t" + entry.file + "\r\n";
    }
    return text;
}

}  // namespace omni
