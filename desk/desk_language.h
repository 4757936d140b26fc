// The dashboard's language: Korean or English, from the browser's Accept-Language, unless the desk chose
// one with the dashboard's switch (kept in a cookie).
#pragma once

#include <optional>
#include <string>

namespace omni::desk {

enum class Language { English, Korean };

inline constexpr char kLanguageCookie[] = "omni_desk_lang";

// "ko" or "en"; anything else is no language of the dashboard's.
std::optional<Language> LanguageOfCode(const std::string& code);
const char* CodeOf(Language language);

// The switch's choice (?lang=), else the cookie, else the first of Korean and English that Accept-Language
// prefers (by its q values, then its order), else English.
Language ChooseLanguage(const std::string& asked, const std::string& cookieHeader, const std::string& acceptLanguage);

}  // namespace omni::desk
