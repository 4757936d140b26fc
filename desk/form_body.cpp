#include "form_body.h"

#include <cstdint>

namespace omni::desk {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> DecodeFormValue(const std::string& encoded) {
    std::string decoded;
    decoded.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c != '%') {
            decoded += c;
        } else {
            if (i + 2 >= encoded.size()) return std::nullopt;
            const int high = HexDigit(encoded[i + 1]), low = HexDigit(encoded[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return decoded;
}

std::string FormField(const std::string& body, const std::string& name) {
    for (size_t start = 0; start <= body.size();) {
        size_t end = body.find('&', start);
        if (end == std::string::npos) end = body.size();
        if (body.compare(start, name.size() + 1, name + "=") == 0)
            return DecodeFormValue(body.substr(start + name.size() + 1, end - start - name.size() - 1)).value_or("");
        start = end + 1;
    }
    return "";
}

bool IsUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80) continue;
        int more;
        uint32_t code;
        if (lead >= 0xC2 && lead <= 0xDF) more = 1, code = lead & 0x1F;
        else if (lead >= 0xE0 && lead <= 0xEF) more = 2, code = lead & 0x0F;
        else if (lead >= 0xF0 && lead <= 0xF4) more = 3, code = lead & 0x07;
        else return false;
        if (end - p < more) return false;
        for (int i = 0; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return false;
            code = (code << 6) | (*p & 0x3F);
        }
        if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (more == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
    }
    return true;
}

FormResult ParseReportForm(const std::string& body) {
    FormResult result;
    std::optional<std::string> fields[3];
    static const char* const kNames[3] = {"txt_diagnosis", "txt_ie_addons", "txt_lang"};
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string::npos) end = body.size();
        const std::string pair = body.substr(start, end - start);
        const size_t equals = pair.find('=');
        int index = -1;
        for (int i = 0; i < 3 && equals != std::string::npos; ++i)
            if (pair.compare(0, equals, kNames[i]) == 0 && equals == std::string(kNames[i]).size()) index = i;
        if (index < 0 || fields[index]) {
            result.fault = FormFault::NotTheThreeFields;
            return result;
        }
        std::optional<std::string> value = DecodeFormValue(pair.substr(equals + 1));
        if (!value) {
            result.fault = FormFault::BadEscape;
            return result;
        }
        if (!IsUtf8(*value) || value->find('\0') != std::string::npos) {
            result.fault = FormFault::NotText;
            return result;
        }
        fields[index] = std::move(value);
        start = end + 1;
    }
    if (!fields[0] || !fields[1] || !fields[2]) {
        result.fault = FormFault::NotTheThreeFields;
        return result;
    }
    result.report = {std::move(*fields[0]), std::move(*fields[1]), std::move(*fields[2])};
    return result;
}

}  // namespace omni::desk
