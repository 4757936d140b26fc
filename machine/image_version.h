// What a component's version resource says it is, read from the bytes of its image rather than through
// the system's loader: the fixed file version and the OriginalFilename of its first string table. The
// bytes come from a server, so every offset is checked; no Win32 header is needed here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace omni {

struct ImageIdentity {
    uint16_t fileVersion[4] = {};     // major, minor, build, revision of the fixed block
    std::u16string originalFilename;  // empty when no string table names one
};

// False when the bytes are not a PE image whose first version resource has a fixed block.
bool ReadImageIdentity(const unsigned char* image, size_t size, ImageIdentity& identity);

}  // namespace omni
