// The bytes of Flash Player's settings file: where the cross-domain permission's two value bytes lie,
// what they say, and what a repair writes there. No file access, so the rules build and run anywhere.
#pragma once

#include <string>

namespace omni {

// Results of reading the setting.
inline constexpr int kFlashAlwaysAllow = 0;
inline constexpr int kFlashAlwaysAsk = 1;
inline constexpr int kFlashAlwaysDeny = 2;
inline constexpr int kFlashSettingUnknown = 3;

inline constexpr char kFlashAllowName[] = "crossdomainAllow";
inline constexpr char kFlashAlwaysName[] = "crossdomainAlways";

// Offset of the value byte of the first occurrence of name (the byte after the name is its type),
// or -1 when the name is absent or its value byte would lie beyond the data.
long long FindFlashValueOffset(const std::string& data, const std::string& name);

struct FlashSettingBytes {
    long long allowOffset = -1;
    long long alwaysOffset = -1;
    int allow = 0;  // 1 when the value byte is 1; anything else reads as false
    int always = 0;
};

FlashSettingBytes ReadFlashSettingBytes(const std::string& data);

// kFlashAlwaysAllow .. kFlashSettingUnknown.
int FlashSettingOf(const FlashSettingBytes& bytes);

// The two value bytes that make the file say choice; false for anything but the three choices, for a
// file without both names, and for one where a value byte lies on a letter of the other name.
bool FlashChoiceBytes(const FlashSettingBytes& bytes, int choice, unsigned char& allowByte, unsigned char& alwaysByte);

}  // namespace omni
