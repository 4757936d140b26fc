#include "control/post_body.h"

#include <cstring>

namespace omni {

namespace {

bool KeptAsIs(unsigned char byte) {
    if (byte <= 0x20 || byte >= 0x7F) return false;
    return std::strchr("#%&+/;=?@[\\]^`{|}~", byte) == nullptr;
}

}  // namespace

std::string EncodeFormValue(const std::string& utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (unsigned char byte : utf8) {
        if (KeptAsIs(byte)) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string BuildPostBody(const std::string& diagnosis, const std::string& ieAddons, const std::string& lang) {
    return "txt_diagnosis=" + EncodeFormValue(diagnosis) + "&txt_ie_addons=" + EncodeFormValue(ieAddons) +
           "&txt_lang=" + EncodeFormValue(lang);
}

}  // namespace omni
