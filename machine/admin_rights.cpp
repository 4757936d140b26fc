#include "machine/admin_rights.h"

#include <windows.h>

#include "platform/handles.h"

namespace omni {

namespace {

bool IsAdministratorsMember() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    unique_sid administrators;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.addressof()))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators.get(), &member)) return false;
    return member != FALSE;
}

bool OpensMachineSoftwareKeyFully() {
    unique_hkey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\", 0, KEY_ALL_ACCESS, key.addressof()) ==
           ERROR_SUCCESS;
}

}  // namespace

bool HasAdministratorRights() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // Only the platform matters here, which every Windows still reports truthfully.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? IsAdministratorsMember() : OpensMachineSoftwareKeyFully();
}

}  // namespace omni
