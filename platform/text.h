// UTF-8 inside, UTF-16 at the Windows boundary.
#pragma once

#include <string>

namespace omni {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, size_t length);

// printf-style formatting into a string of any length.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool EqualsNoCase(const std::string& a, const std::string& b);  // ASCII letters only
bool StartsWithNoCase(const std::string& text, const std::string& prefix);  // ASCII letters only

}  // namespace omni
