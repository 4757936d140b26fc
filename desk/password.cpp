#include "password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace omni::desk {

namespace {

// Costs some 30 ms per check on a small machine; the API checks it on every Basic request.
constexpr int kIterations = 60000;

std::string RandomBytes(size_t count) {
    std::string bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1)
        throw std::runtime_error("no random bytes from OpenSSL");
    return bytes;
}

std::string Derive(const std::string& password, const std::string& salt) {
    std::string hash(32, '\0');
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                          kIterations, EVP_sha256(), static_cast<int>(hash.size()),
                          reinterpret_cast<unsigned char*>(hash.data())) != 1)
        throw std::runtime_error("PBKDF2 failed");
    return hash;
}

}  // namespace

PasswordHash::PasswordHash(const std::string& password) : salt_(RandomBytes(16)), hash_(Derive(password, salt_)) {}

bool PasswordHash::Matches(const std::string& password) const {
    const std::string candidate = Derive(password, salt_);
    return CRYPTO_memcmp(candidate.data(), hash_.data(), hash_.size()) == 0;
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

namespace {

std::string Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

}  // namespace

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
