// Components come from the content server, and the control reads their version resource from the
// bytes it holds: any bytes must be read without a fault, and an identity must come only from a PE
// image whose resource carries the fixed block's signature.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "machine/image_version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    omni::ImageIdentity identity;
    const bool read = omni::ReadImageIdentity(data, size, identity);
    if (!read) {
        // Nothing half-read is left for a caller to trust.
        for (uint16_t part : identity.fileVersion)
            if (part != 0) abort();
        if (!identity.originalFilename.empty()) abort();
        return 0;
    }
    if (size < 64 || data[0] != 'M' || data[1] != 'Z') abort();
    static const unsigned char kSignature[] = {0xBD, 0x04, 0xEF, 0xFE};
    bool signature = false;
    for (size_t i = 0; i + sizeof(kSignature) <= size && !signature; ++i)
        signature = std::memcmp(data + i, kSignature, sizeof(kSignature)) == 0;
    if (!signature) abort();
    if (identity.originalFilename.size() > size / 2) abort();
    return 0;
}
