// The report a page posts holds text from the PC and the page: every value must reach the server as a
// form field that decodes to the same bytes, with no byte of it read as a delimiter.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control/post_body.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case is never produced
}

// Decodes as a form-reading server does, and fails on anything a server could read two ways.
std::string Decode(const std::string& encoded) {
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(encoded[i]);
        if (c == '%') {
            if (i + 2 >= encoded.size()) abort();
            const int high = HexDigit(encoded[i + 1]);
            const int low = HexDigit(encoded[i + 2]);
            if (high < 0 || low < 0) abort();
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            if (c <= 0x20 || c >= 0x7F || std::strchr("#&+/;=?@[\\]^`{|}~", c) != nullptr) abort();
            decoded += static_cast<char>(c);
        }
    }
    return decoded;
}

std::string FieldValue(const std::string& field, const std::string& key) {
    if (field.compare(0, key.size() + 1, key + "=") != 0) abort();
    return Decode(field.substr(key.size() + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string encoded = omni::EncodeFormValue(input);
    if (Decode(encoded) != input) abort();

    // The input cut in three by its first two bytes: each value must come back from its own field.
    const size_t cut1 = size > 0 ? data[0] % (size + 1) : 0;
    const size_t cut2 = size > 1 ? cut1 + data[1] % (size - cut1 + 1) : cut1;
    const std::string diagnosis = input.substr(0, cut1);
    const std::string addons = input.substr(cut1, cut2 - cut1);
    const std::string lang = input.substr(cut2);
    const std::string body = omni::BuildPostBody(diagnosis, addons, lang);

    const size_t amp1 = body.find('&');
    const size_t amp2 = amp1 == std::string::npos ? amp1 : body.find('&', amp1 + 1);
    if (amp2 == std::string::npos || body.find('&', amp2 + 1) != std::string::npos) abort();
    if (FieldValue(body.substr(0, amp1), "txt_diagnosis") != diagnosis) abort();
    if (FieldValue(body.substr(amp1 + 1, amp2 - amp1 - 1), "txt_ie_addons") != addons) abort();
    if (FieldValue(body.substr(amp2 + 1), "txt_lang") != lang) abort();
    return 0;
}
