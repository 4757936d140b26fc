// Catalogue texts by string-table identifier, in English (1033) or Korean (1042), as UTF-8.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

inline constexpr LANGID kLangEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033
inline constexpr LANGID kLangKorean = MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN);        // 1042

// The Lang property's rule: "kor" in any case is Korean, everything else English.
LANGID LanguageFromLang(const std::string& lang);

// The language of the calling thread's lookups; Korean until set.
void SetCatalogLanguage(LANGID language);
LANGID GetCatalogLanguage();

// The catalogue's language for the object's life, and the previous one again after.
class ScopedCatalogLanguage {
public:
    explicit ScopedCatalogLanguage(LANGID language) : previous_(GetCatalogLanguage()) { SetCatalogLanguage(language); }
    ~ScopedCatalogLanguage() { SetCatalogLanguage(previous_); }
    ScopedCatalogLanguage(const ScopedCatalogLanguage&) = delete;
    ScopedCatalogLanguage& operator=(const ScopedCatalogLanguage&) = delete;

private:
    LANGID previous_;
};

// Looks the entry up in the chosen language explicitly, so the result never depends on the
// system's idea of the UI language. An identifier without an entry leaves target unchanged.
void LoadMessage(UINT id, std::string& target);
std::string LoadMessage(UINT id);  // "" when there is no entry

// Loads entry id and formats its single "%s" with value.
std::string FormatMessageWith(UINT id, const std::string& value);

}  // namespace omni
