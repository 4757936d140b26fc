#include "tests/support/wine_module_override.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/text.h"

namespace omni::test {

namespace {
const wchar_t kOverridesKey[] = L"Software\\Wine\\DllOverrides";
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

WineNativeModule::WineNativeModule(const std::string& moduleName) : name_(moduleName) {
    if (!RunningUnderWine()) return;
    unique_hkey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOverridesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.addressof(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::wstring name = Widen(name_);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) return;
    static const wchar_t kNative[] = L"native";
    added_ = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNative),
                            sizeof(kNative)) == ERROR_SUCCESS;
}

WineNativeModule::~WineNativeModule() {
    if (!added_) return;
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kOverridesKey, 0, KEY_SET_VALUE, key.addressof()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.get(), Widen(name_).c_str());
    }
}

}  // namespace omni::test
