// The form body that SendInformation posts: three fields, each value percent-encoded byte by byte.
#pragma once

#include <string>

namespace omni {

// A UTF-8 value as form data. Servers decode "+" as a blank and "%xx" as a byte, so both "%" and "+"
// are encoded along with the control bytes, bytes above 0x7E, the blank and the URL's delimiters.
std::string EncodeFormValue(const std::string& utf8);

// "txt_diagnosis=...&txt_ie_addons=...&txt_lang=...", the values encoded.
std::string BuildPostBody(const std::string& diagnosis, const std::string& ieAddons, const std::string& lang);

}  // namespace omni
