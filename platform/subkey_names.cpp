#include "platform/subkey_names.h"

#include "platform/text.h"

namespace omni {

LONG ListSubkeyNames(HKEY key, std::vector<std::string>& names) {
    names.clear();
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];  // the longest key name the registry allows, and its terminator
        DWORD length = 256;
        LONG rc = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        // Any other failure repeats for every index (a key deleted while open answers
        // ERROR_KEY_DELETED forever), so skipping it would walk all 2^32 indexes.
        if (rc != ERROR_SUCCESS) return rc;
        names.push_back(Narrow(name, length));
    }
}

}  // namespace omni
