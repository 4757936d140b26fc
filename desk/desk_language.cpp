#include "desk_language.h"

#include <strings.h>

#include <cstdlib>

#include "login.h"

namespace omni::desk {

std::optional<Language> LanguageOfCode(const std::string& code) {
    if (code == "ko") return Language::Korean;
    if (code == "en") return Language::English;
    return std::nullopt;
}

const char* CodeOf(Language language) { return language == Language::Korean ? "ko" : "en"; }

Language ChooseLanguage(const std::string& asked, const std::string& cookieHeader, const std::string& acceptLanguage) {
    if (auto chosen = LanguageOfCode(asked)) return *chosen;
    if (auto kept = LanguageOfCode(CookieValue(cookieHeader, kLanguageCookie))) return *kept;
    // "ko-KR,ko;q=0.9,en-US;q=0.8": the range with the highest q that names one of the two; the first wins a tie.
    std::optional<Language> best;
    double bestWeight = 0;
    size_t start = 0;
    while (start <= acceptLanguage.size()) {
        size_t end = acceptLanguage.find(',', start);
        if (end == std::string::npos) end = acceptLanguage.size();
        const std::string range = acceptLanguage.substr(start, end - start);
        start = end + 1;
        const size_t first = range.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        const std::string tag = range.substr(first, range.find_first_of(" \t;", first) - first);
        double weight = 1;
        if (const size_t q = range.find(";q="); q != std::string::npos) weight = std::strtod(range.c_str() + q + 3, nullptr);
        std::optional<Language> named;
        const std::string primary = tag.substr(0, tag.find('-'));
        if (strcasecmp(primary.c_str(), "ko") == 0) named = Language::Korean;
        if (strcasecmp(primary.c_str(), "en") == 0) named = Language::English;
        if (named && weight > bestWeight) {
            best = named;
            bestWeight = weight;
        }
    }
    return best.value_or(Language::English);
}

}  // namespace omni::desk
