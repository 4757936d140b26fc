#include "machine/guid_text.h"

#include "platform/text.h"

namespace omni {

std::string FormatGuid(const GUID& guid) {
    std::string text = Format("{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                              static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                              guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                              guid.Data4[6], guid.Data4[7]);
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace omni
