// The body that SendInformation posts: "txt_diagnosis=...&txt_ie_addons=...&txt_lang=...", each value
// percent-encoded UTF-8 text.
#pragma once

#include <optional>
#include <string>

namespace omni::desk {

struct PostedReport {
    std::string diagnosis;
    std::string ieAddons;
    std::string lang;
};

enum class FormFault { None, NotTheThreeFields, BadEscape, NotText };

struct FormResult {
    FormFault fault = FormFault::None;
    PostedReport report;
};

// Exactly the three fields, each once (in any order). Values are decoded by the form rules ("%XX" a byte,
// "+" a blank); a "%" without two hexadecimal digits, bytes that are not UTF-8, or a NUL are refused
// rather than passed on.
FormResult ParseReportForm(const std::string& body);

// Strict UTF-8: no overlong forms, surrogates or code points above U+10FFFF.
bool IsUtf8(const std::string& text);

// Decodes one form value (or query value) by the rules above; nullopt for a bad "%" escape.
std::optional<std::string> DecodeFormValue(const std::string& encoded);

// The decoded value of the first field of that name in a form body; empty when there is none.
std::string FormField(const std::string& body, const std::string& name);

}  // namespace omni::desk
