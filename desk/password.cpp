#include "password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace omni::desk {

namespace {

// Costs some 30 ms per check on a small machine; the API checks it on every Basic request.
constexpr int kIterations = 60000;
constexpr char kScheme[] = "pbkdf2-sha256";

std::string RandomBytes(size_t count) {
    std::string bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1)
        throw std::runtime_error("no random bytes from OpenSSL");
    return bytes;
}

std::string Derive(const std::string& password, const std::string& salt, int iterations) {
    std::string hash(32, '\0');
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                          iterations, EVP_sha256(), static_cast<int>(hash.size()),
                          reinterpret_cast<unsigned char*>(hash.data())) != 1)
        throw std::runtime_error("PBKDF2 failed");
    return hash;
}

std::string Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

bool FromHex(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0 || text.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return true;
}

struct Parsed {
    int iterations = kIterations;
    std::string salt, hash;
};

bool Parse(const std::string& encoded, Parsed& parsed) {
    const size_t first = encoded.find('$'), second = encoded.find('$', first + 1), third = encoded.find('$', second + 1);
    if (third == std::string::npos || encoded.substr(0, first) != kScheme) return false;
    const std::string iterations = encoded.substr(first + 1, second - first - 1);
    if (iterations.empty() || iterations.size() > 7 || iterations.find_first_not_of("0123456789") != std::string::npos)
        return false;
    parsed.iterations = std::stoi(iterations);
    return parsed.iterations >= 1000 && FromHex(encoded.substr(second + 1, third - second - 1), parsed.salt) &&
           FromHex(encoded.substr(third + 1), parsed.hash) && parsed.hash.size() == 32;
}

}  // namespace

std::string HashPassword(const std::string& password) {
    const std::string salt = RandomBytes(16);
    return std::string(kScheme) + "$" + std::to_string(kIterations) + "$" + Hex(salt) + "$" +
           Hex(Derive(password, salt, kIterations));
}

bool PasswordMatches(const std::string& password, const std::string& encoded) {
    Parsed parsed;
    const bool usable = Parse(encoded, parsed);
    if (!usable) parsed.salt = "no such hash";
    const std::string candidate = Derive(password, parsed.salt, usable ? parsed.iterations : kIterations);
    return usable && CRYPTO_memcmp(candidate.data(), parsed.hash.data(), candidate.size()) == 0;
}

const std::string& UnusableHash() {
    static const std::string hash = HashPassword(RandomHex(32));
    return hash;
}

std::string GeneratePassword() {
    static const char kAlphabet[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    constexpr unsigned kSize = sizeof kAlphabet - 1;
    std::string password;
    while (password.size() < 20)  // bytes past the last whole alphabet are dropped, so no letter is likelier
        for (unsigned char byte : RandomBytes(32))
            if (byte < 256 / kSize * kSize && password.size() < 20) password += kAlphabet[byte % kSize];
    return password;
}

std::string RandomHex(size_t count) { return Hex(RandomBytes(count)); }

std::string Sha256Hex(const std::string& text) {
    std::string digest(32, '\0');
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), reinterpret_cast<unsigned char*>(digest.data()), &size, EVP_sha256(),
                   nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    return Hex(digest);
}

}  // namespace omni::desk
