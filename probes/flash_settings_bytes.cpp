#include "probes/flash_settings_bytes.h"

namespace omni {

namespace {

// True when offset is one of the bytes of the name whose value byte lies at valueOffset.
bool OnName(long long offset, long long valueOffset, size_t nameLength) {
    const long long nameAt = valueOffset - static_cast<long long>(nameLength) - 1;
    return offset >= nameAt && offset < nameAt + static_cast<long long>(nameLength);
}

}  // namespace

long long FindFlashValueOffset(const std::string& data, const std::string& name) {
    if (name.empty()) return -1;
    size_t at = data.find(name);
    if (at == std::string::npos) return -1;
    // Only the first occurrence counts, and only when its value byte is inside the data.
    size_t value = at + name.size() + 1;
    return value < data.size() ? static_cast<long long>(value) : -1;
}

FlashSettingBytes ReadFlashSettingBytes(const std::string& data) {
    FlashSettingBytes bytes;
    bytes.allowOffset = FindFlashValueOffset(data, kFlashAllowName);
    bytes.alwaysOffset = FindFlashValueOffset(data, kFlashAlwaysName);
    bytes.allow = bytes.allowOffset >= 0 && data[bytes.allowOffset] == 1 ? 1 : 0;
    bytes.always = bytes.alwaysOffset >= 0 && data[bytes.alwaysOffset] == 1 ? 1 : 0;
    return bytes;
}

int FlashSettingOf(const FlashSettingBytes& bytes) {
    if (bytes.allowOffset < 0 || bytes.alwaysOffset < 0) return kFlashSettingUnknown;
    if (bytes.allow && bytes.always) return kFlashAlwaysAllow;
    if (!bytes.allow && !bytes.always) return kFlashAlwaysAsk;
    if (!bytes.allow && bytes.always) return kFlashAlwaysDeny;
    return kFlashSettingUnknown;
}

bool FlashChoiceBytes(const FlashSettingBytes& bytes, int choice, unsigned char& allowByte, unsigned char& alwaysByte) {
    if (choice != kFlashAlwaysAllow && choice != kFlashAlwaysAsk && choice != kFlashAlwaysDeny) return false;
    if (bytes.allowOffset < 0 || bytes.alwaysOffset < 0) return false;
    // In a damaged file one name's value byte can be a letter of the other name; writing it would
    // unname that setting and leave a file that no longer says the choice.
    if (OnName(bytes.allowOffset, bytes.alwaysOffset, sizeof(kFlashAlwaysName) - 1) ||
        OnName(bytes.alwaysOffset, bytes.allowOffset, sizeof(kFlashAllowName) - 1))
        return false;
    allowByte = choice == kFlashAlwaysAllow ? 1 : 0;
    alwaysByte = choice == kFlashAlwaysAsk ? 0 : 1;
    return true;
}

}  // namespace omni
