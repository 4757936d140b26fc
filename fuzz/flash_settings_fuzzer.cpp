// The settings file is whatever Flash Player or anyone else left on the PC: any bytes must read without
// going past their end, and a repair must change only the two value bytes and leave the file saying the
// chosen setting.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "probes/flash_settings_bytes.h"

namespace {

void CheckOffset(const std::string& data, long long offset, const char* name) {
    if (offset < 0) {
        const size_t at = data.find(name);
        if (at != std::string::npos && at + std::strlen(name) + 1 < data.size()) abort();
        return;
    }
    if (static_cast<size_t>(offset) >= data.size()) abort();
    // The first occurrence of the name, then its type byte, then the value byte.
    if (data.find(name) != static_cast<size_t>(offset) - std::strlen(name) - 1) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    const omni::FlashSettingBytes read = omni::ReadFlashSettingBytes(file);
    CheckOffset(file, read.allowOffset, omni::kFlashAllowName);
    CheckOffset(file, read.alwaysOffset, omni::kFlashAlwaysName);
    if (read.allow != (read.allowOffset >= 0 && file[read.allowOffset] == 1)) abort();
    if (read.always != (read.alwaysOffset >= 0 && file[read.alwaysOffset] == 1)) abort();
    const int setting = omni::FlashSettingOf(read);
    if (setting < omni::kFlashAlwaysAllow || setting > omni::kFlashSettingUnknown) abort();

    for (int choice = -1; choice <= omni::kFlashSettingUnknown; ++choice) {
        unsigned char allowByte = 0xEE;
        unsigned char alwaysByte = 0xEE;
        const bool writes = omni::FlashChoiceBytes(read, choice, allowByte, alwaysByte);
        const bool valid = choice >= omni::kFlashAlwaysAllow && choice <= omni::kFlashAlwaysDeny;
        if (writes && (!valid || read.allowOffset < 0 || read.alwaysOffset < 0)) abort();
        if (!writes) continue;

        // What WriteSetting does to the file, done to a copy.
        std::string repaired = file;
        repaired[read.allowOffset] = static_cast<char>(allowByte);
        repaired[read.alwaysOffset] = static_cast<char>(alwaysByte);
        if (repaired.size() != file.size()) abort();
        for (size_t i = 0; i < file.size(); ++i)
            if (repaired[i] != file[i] && static_cast<long long>(i) != read.allowOffset &&
                static_cast<long long>(i) != read.alwaysOffset)
                abort();
        const omni::FlashSettingBytes after = omni::ReadFlashSettingBytes(repaired);
        if (omni::FlashSettingOf(after) != choice) abort();
        if (after.allowOffset != read.allowOffset || after.alwaysOffset != read.alwaysOffset) abort();
    }
    return 0;
}
