#include "core/message_catalog.h"

#include "platform/module_path.h"
#include "platform/text.h"

namespace omni {

namespace {
thread_local LANGID t_language = kLangKorean;

// String tables are stored in blocks of 16 counted UTF-16 strings.
bool FindEntry(UINT id, LANGID language, std::wstring& out) {
    HMODULE module = CurrentModule();
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block) return false;
    HGLOBAL loaded = LoadResource(module, block);
    const WCHAR* p = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!p) return false;
    const WCHAR* end = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(p) + SizeofResource(module, block));
    for (UINT i = 0; i < id % 16; ++i) {
        if (p >= end) return false;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end) return false;
    out.assign(p + 1, *p);
    return true;
}
}  // namespace

LANGID LanguageFromLang(const std::string& lang) { return EqualsNoCase(lang, "kor") ? kLangKorean : kLangEnglish; }

void SetCatalogLanguage(LANGID language) { t_language = language; }
LANGID GetCatalogLanguage() { return t_language; }

void LoadMessage(UINT id, std::string& target) {
    std::wstring text;
    if (FindEntry(id, t_language, text)) target = Narrow(text);
}

std::string LoadMessage(UINT id) {
    std::string text;
    LoadMessage(id, text);
    return text;
}

std::string FormatMessageWith(UINT id, const std::string& value) {
    return Format(LoadMessage(id).c_str(), value.c_str());
}

}  // namespace omni
