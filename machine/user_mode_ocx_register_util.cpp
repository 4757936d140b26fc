#include "machine/user_mode_ocx_register_util.h"

#include "machine/component_ids.h"
#include "platform/handles.h"
#include "platform/registry_delete.h"
#include "platform/text.h"

namespace omni {

namespace {

const char kSoftware[] = "Software";
const char kClasses[] = "Classes";
const char kClassesPath[] = "Software\\Classes";
const char kClsidPath[] = "Software\\Classes\\CLSID";
const char kSafeForScripting[] = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
const char kSafeForInitializing[] = "{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

LONG OpenUserKey(const std::string& path, REGSAM access, unique_hkey& key) {
    return RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, access, key.addressof());
}

// The default string of an InprocServer32 key, of any length; false when missing or not a string.
bool ReadServerPath(HKEY root, const std::string& path, std::string& server) {
    unique_hkey key;
    if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ, key.addressof()) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // One spare character: stored data need not carry its terminator.
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
        ERROR_SUCCESS)
        return false;
    data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsW(data.c_str(), nullptr, 0);
        if (needed == 0) return false;
        std::wstring expanded(needed, L'\0');
        if (ExpandEnvironmentStringsW(data.c_str(), &expanded[0], needed) == 0) return false;
        expanded.resize(wcsnlen(expanded.c_str(), needed));
        data.swap(expanded);
    }
    server = Narrow(data);
    return true;
}

std::string FolderWithBackslash(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

CUserModeOcxRegisterUtil::CUserModeOcxRegisterUtil() {
    for (const ComponentIds& ids : kComponentIds) {
        OcxRegistrationRecord record;
        record.fileName = ids.fileName;
        record.clsid = ids.clsid;
        record.threadingModel = "Apartment";
        record.miscStatus = "0";
        record.miscStatusContent = "131473";
        record.progId = ids.progId;
        record.typeLib = ids.typeLib;
        record.version = "1.0";
        record.description = ids.description;
        records_.push_back(record);
    }
}

CUserModeOcxRegisterUtil::~CUserModeOcxRegisterUtil() = default;

const OcxRegistrationRecord* CUserModeOcxRegisterUtil::Find(const std::string& fileName) const {
    for (const OcxRegistrationRecord& record : records_)
        if (EqualsNoCase(record.fileName, fileName)) return &record;
    return nullptr;
}

OcxRegistrationRecord* CUserModeOcxRegisterUtil::Find(const std::string& fileName) {
    for (OcxRegistrationRecord& record : records_)
        if (EqualsNoCase(record.fileName, fileName)) return &record;
    return nullptr;
}

std::string CUserModeOcxRegisterUtil::GetClsidText(const std::string& fileName) const {
    const OcxRegistrationRecord* record = Find(fileName);
    return record ? record->clsid : std::string();
}

void CUserModeOcxRegisterUtil::SetFolder(const std::string& fileName, const std::string& folder) {
    OcxRegistrationRecord* record = Find(fileName);
    if (record) record->folder = folder;
}

int CUserModeOcxRegisterUtil::Register(const std::string& fileName) {
    const OcxRegistrationRecord* found = Find(fileName);
    if (!found) return 0;
    const OcxRegistrationRecord& r = *found;
    const std::string k = std::string(kClsidPath) + "\\" + r.clsid;
    const std::string progIdPath = std::string(kClassesPath) + "\\" + r.progId;
    const std::string server = r.folder + r.fileName;

    const bool keysMade =
        EnsureKey(kSoftware, kClasses) && EnsureKey(kClassesPath, "CLSID") && EnsureKey(kClsidPath, r.clsid) &&
        EnsureKey(k, "Control") && EnsureKey(k, "InprocServer32") && EnsureKey(k, "MiscStatus") &&
        EnsureKey(k + "\\MiscStatus", "1") && EnsureKey(k, "ProgID") && EnsureKey(k, "ToolboxBitmap32") &&
        EnsureKey(k, "TypeLib") && EnsureKey(k, "Version") && EnsureKey(kClassesPath, r.progId) &&
        EnsureKey(progIdPath, "CLSID");
    if (!keysMade) return 0;

    const bool valuesWritten =
        SetStringValue(k, "", r.description) && SetStringValue(k + "\\InprocServer32", "", server) &&
        SetStringValue(k + "\\InprocServer32", "ThreadingModel", r.threadingModel) &&
        SetStringValue(k + "\\MiscStatus", "", r.miscStatus) &&
        SetStringValue(k + "\\MiscStatus\\1", "", r.miscStatusContent) &&
        SetStringValue(k + "\\ProgID", "", r.progId) &&
        // The usual form: server path, then the number of the toolbox bitmap resource.
        SetStringValue(k + "\\ToolboxBitmap32", "", server + ", 1") && SetStringValue(k + "\\TypeLib", "", r.typeLib) &&
        SetStringValue(k + "\\Version", "", r.version) && SetStringValue(progIdPath + "\\CLSID", "", r.clsid);
    if (!valuesWritten) return 0;

    const std::string categories = k + "\\Implemented Categories";
    const bool categoriesMade = EnsureKey(k, "Implemented Categories") &&
                                EnsureKey(categories, kSafeForScripting) &&
                                EnsureKey(categories, kSafeForInitializing);
    return categoriesMade ? 1 : 0;
}

int CUserModeOcxRegisterUtil::Unregister(const std::string& fileName) {
    const OcxRegistrationRecord* record = Find(fileName);
    // Without a record the child names would be empty, and the deletions would take the whole
    // classes key with them.
    if (!record) return 0;
    {
        unique_hkey clsidKey;
        if (OpenUserKey(kClsidPath, KEY_ALL_ACCESS, clsidKey) != ERROR_SUCCESS) return 0;
        DeleteKeyTree(clsidKey.get(), record->clsid);
    }
    unique_hkey classesKey;
    if (OpenUserKey(kClassesPath, KEY_ALL_ACCESS, classesKey) != ERROR_SUCCESS) return 0;
    DeleteKeyTree(classesKey.get(), record->progId);
    return 1;
}

std::string CUserModeOcxRegisterUtil::GetRegisteredFolder(const std::string& fileName) const {
    const OcxRegistrationRecord* record = Find(fileName);
    if (!record) return std::string();
    const std::string path = std::string(kClsidPath) + "\\" + record->clsid + "\\InprocServer32";
    std::string server;
    if (ReadServerPath(HKEY_CURRENT_USER, path, server) || ReadServerPath(HKEY_LOCAL_MACHINE, path, server))
        return FolderWithBackslash(server);
    return std::string();
}

int CUserModeOcxRegisterUtil::EnsureKey(const std::string& parentPath, const std::string& childName) {
    if (childName.empty()) return 0;
    {
        unique_hkey existing;
        if (OpenUserKey(parentPath + "\\" + childName, KEY_ALL_ACCESS, existing) == ERROR_SUCCESS) return 1;
    }
    unique_hkey parent;
    if (OpenUserKey(parentPath, KEY_ALL_ACCESS, parent) != ERROR_SUCCESS) return 0;
    unique_hkey child;
    LONG rc = RegCreateKeyExW(parent.get(), Widen(childName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, child.addressof(), nullptr);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int CUserModeOcxRegisterUtil::SetStringValue(const std::string& keyPath, const std::string& valueName,
                                             const std::string& text) {
    unique_hkey key;
    if (OpenUserKey(keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return 0;
    const std::wstring wide = Widen(text);
    const std::wstring name = Widen(valueName);
    // A refused write is a failed registration, not a successful one.
    LONG rc = RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(wide.c_str()),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    return rc == ERROR_SUCCESS ? 1 : 0;
}

LONG CUserModeOcxRegisterUtil::DeleteKeyTree(HKEY parent, const std::string& childName) {
    // An empty name would name the parent itself.
    if (childName.empty()) return ERROR_INVALID_PARAMETER;
    {
        unique_hkey child;
        LONG rc = RegOpenKeyExW(parent, Widen(childName).c_str(), 0, KEY_READ | KEY_WRITE, child.addressof());
        if (rc != ERROR_SUCCESS) return rc;
        for (;;) {
            wchar_t name[256];
            DWORD length = 256;
            // Always the first: the one before it was just deleted.
            if (RegEnumKeyExW(child.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            rc = DeleteKeyTree(child.get(), Narrow(name, length));
            if (rc != ERROR_SUCCESS) return rc;
        }
    }
    return DeleteRegistryKey(parent, childName);
}

CUserModeOcxRegisterUtil& GetUserModeOcxRegisterUtil() {
    static CUserModeOcxRegisterUtil instance;
    return instance;
}

}  // namespace omni
