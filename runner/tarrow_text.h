// Texts and the placeholder rule of the runner, kept apart so they read in one place.
#pragma once

#include <string>

namespace tarrow {

inline const wchar_t kFrameworkFailedMessage[] = L"심각한 오류: MFC를 초기화하지 못했습니다.\n";
inline const wchar_t kPlaceholder[] = L"<path>";

// Every "<path>" becomes one double quote, scanning forward; replacements are never rescanned.
inline std::wstring ReplacePlaceholders(const std::wstring& in) {
    const std::wstring placeholder = kPlaceholder;
    std::wstring out;
    out.reserve(in.size());
    size_t pos = 0;
    for (;;) {
        size_t hit = in.find(placeholder, pos);
        if (hit == std::wstring::npos) break;
        out.append(in, pos, hit - pos);
        out.push_back(L'"');
        pos = hit + placeholder.size();
    }
    out.append(in, pos, std::wstring::npos);
    return out;
}

}  // namespace tarrow
