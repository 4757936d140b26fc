#include "machine/plain_file_name.h"

#include <cctype>

#include "platform/text.h"

namespace omni {

namespace {

// Windows opens these as devices whatever the extension ("nul.ocx" is NUL).
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();  // "CON .txt" is CON as well
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
        if (EqualsNoCase(stem, device)) return true;
    if (stem.size() < 4 || !(EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT")))
        return false;
    const std::string digit = stem.substr(3);
    // Windows takes the superscript digits one to three (UTF-8 here) as port numbers as well.
    static const char* const kPortDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                              "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    for (const char* port : kPortDigits)
        if (digit == port) return true;
    return false;
}

// Unicode's control (Cc) and format (Cf) characters, the blanks (Zs) but U+0020, the line and paragraph
// separators, and the surrogates, which UTF-8 never carries.
struct CodeRange {
    char32_t first, last;
};
constexpr CodeRange kRefusedCodes[] = {
    {0x0000, 0x001F},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
    {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x1680, 0x1680},
    {0x180E, 0x180E},   {0x2000, 0x200F},   {0x2028, 0x202F},   {0x205F, 0x2064},   {0x2066, 0x206F},
    {0x3000, 0x3000},   {0xD800, 0xDFFF},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

// The next code point of UTF-8 text at i, moving i past it; false for bytes that are not UTF-8 (a
// stray continuation byte, a sequence cut short, an overlong form, a value past U+10FFFF).
bool NextCodePoint(const std::string& text, size_t& i, char32_t& code) {
    const unsigned char lead = static_cast<unsigned char>(text[i++]);
    size_t more = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                                : lead >= 0xF0 && lead < 0xF5 ? 3 : 4;
    if (more == 4 || i + more > text.size()) return false;
    code = more == 0 ? lead : lead & (0x3F >> more);
    for (size_t k = 0; k < more; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i++]);
        if ((next & 0xC0) != 0x80) return false;
        code = (code << 6) | (next & 0x3F);
    }
    static const char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    return code >= kSmallest[more] && code <= 0x10FFFF;
}

bool OnlyShownCharacters(const std::string& name) {
    for (size_t i = 0; i < name.size();) {
        char32_t code = 0;
        if (!NextCodePoint(name, i, code)) return false;
        for (const CodeRange& range : kRefusedCodes)
            if (code >= range.first && code <= range.last) return false;
    }
    return true;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 200 || !OnlyShownCharacters(name)) return false;
    for (unsigned char c : name)
        if (std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    if (name.back() == '.' || name.back() == ' ' || name.front() == ' ') return false;
    if (name.find("..") != std::string::npos) return false;
    return !IsDeviceName(name);
}

}  // namespace omni
