// Texts and the placeholder rule of the runner, kept apart so they read in one place.
#pragma once

#include <cstddef>
#include <string>

namespace tarrow {

inline const wchar_t kFrameworkFailedMessage[] = L"심각한 오류: MFC를 초기화하지 못했습니다.\n";
inline const wchar_t kPlaceholder[] = L"<path>";
inline constexpr size_t kPlaceholderLength = sizeof(kPlaceholder) / sizeof(wchar_t) - 1;

// Every "<path>" becomes one double quote, scanning forward; replacements are never rescanned.
// Works in place, since the text only shrinks; answers the new length. No C++ runtime is needed,
// which keeps the runner small.
inline size_t ReplacePlaceholdersInPlace(wchar_t* text) {
    size_t out = 0;
    for (size_t in = 0; text[in] != L'\0';) {
        size_t k = 0;
        while (k < kPlaceholderLength && text[in + k] == kPlaceholder[k]) ++k;
        if (k == kPlaceholderLength) {
            text[out++] = L'"';
            in += kPlaceholderLength;
        } else {
            text[out++] = text[in++];
        }
    }
    text[out] = L'\0';
    return out;
}

inline std::wstring ReplacePlaceholders(std::wstring text) {
    text.resize(ReplacePlaceholdersInPlace(&text[0]));
    return text;
}

}  // namespace tarrow
