// The desk's password is kept only as a salted PBKDF2-HMAC-SHA256 hash.
#pragma once

#include <string>

namespace omni::desk {

class PasswordHash {
public:
    explicit PasswordHash(const std::string& password);
    bool Matches(const std::string& password) const;

private:
    std::string salt_, hash_;
};

// A fresh password for a start without OMNI_DESK_PASSWORD: 20 characters from a cryptographic source.
std::string GeneratePassword();

// Hexadecimal text of random bytes, for session tokens.
std::string RandomHex(size_t bytes);

// The SHA-256 of a text, in hexadecimal: how a session token is known in the database.
std::string Sha256Hex(const std::string& text);

}  // namespace omni::desk
