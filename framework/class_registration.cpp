#include "framework/class_registration.h"

#include <oleauto.h>

#include "platform/handles.h"
#include "platform/registry_delete.h"
#include "platform/text.h"

namespace omni::fw {

namespace {

bool SetKeyValue(const std::string& path, const char* name, const std::string& value) {
    unique_hkey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, Widen(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.addressof(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    std::wstring text = Widen(value);
    std::wstring valueName = name ? Widen(name) : std::wstring();
    return RegSetValueExW(key.get(), name ? valueName.c_str() : nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RemoveTree(const std::string& path) {
    LONG status = DeleteRegistryTree(HKEY_CLASSES_ROOT, path);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::string GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    if (StringFromGUID2(guid, text, 40) == 0) return std::string();
    return Narrow(text);  // StringFromGUID2 writes upper-case hexadecimal digits
}

bool RegisterClassKeys(const ClassRegistration& entry, const std::string& modulePath) {
    const std::string clsid = GuidText(*entry.clsid);
    const std::string key = "CLSID\\" + clsid;
    bool ok = SetKeyValue(key, nullptr, entry.typeName) && SetKeyValue(key + "\\ProgID", nullptr, entry.progId) &&
              SetKeyValue(key + "\\InprocServer32", nullptr, modulePath) &&
              SetKeyValue(key + "\\InprocServer32", "ThreadingModel", "Apartment") &&
              SetKeyValue(entry.progId, nullptr, entry.typeName) &&
              SetKeyValue(entry.progId + "\\CLSID", nullptr, clsid);
    if (ok && entry.isControl) {
        ok = SetKeyValue(key + "\\Control", nullptr, "") &&
             SetKeyValue(key + "\\MiscStatus", nullptr, "0") &&
             SetKeyValue(key + "\\MiscStatus\\1", nullptr, std::to_string(entry.miscStatus)) &&
             SetKeyValue(key + "\\ToolboxBitmap32", nullptr, modulePath + ", " + std::to_string(entry.toolboxBitmap));
        if (ok && entry.libid)
            ok = SetKeyValue(key + "\\TypeLib", nullptr, GuidText(*entry.libid)) &&
                 SetKeyValue(key + "\\Version", nullptr, entry.libVersion);
    }
    return ok;
}

bool UnregisterClassKeys(const ClassRegistration& entry) {
    bool classGone = RemoveTree("CLSID\\" + GuidText(*entry.clsid));
    bool progIdGone = RemoveTree(entry.progId);
    return classGone && progIdGone;
}

HRESULT RegisterModuleTypeLib(const std::string& modulePath) {
    com_ptr<ITypeLib> library;
    return LoadTypeLibEx(Widen(modulePath).c_str(), REGKIND_REGISTER, library.addressof());
}

HRESULT UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor, LCID locale) {
    return UnRegisterTypeLib(libid, major, minor, locale, SYS_WIN32);
}

}  // namespace omni::fw
