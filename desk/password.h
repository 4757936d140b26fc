// Staff passwords are kept only as salted PBKDF2-HMAC-SHA256 hashes, in one text:
// "pbkdf2-sha256$<iterations>$<salt in hex>$<hash in hex>".
#pragma once

#include <string>

namespace omni::desk {

// A fresh salt each time.
std::string HashPassword(const std::string& password);

// Whether the password gives this hash; false for a text that is no such hash. Costs as much either way.
bool PasswordMatches(const std::string& password, const std::string& encoded);

// What a name that has no account is checked against, so that its refusal takes as long as a wrong password.
const std::string& UnusableHash();

// A fresh password for a first account without OMNI_DESK_PASSWORD: 20 characters from a cryptographic source.
std::string GeneratePassword();

// Hexadecimal text of random bytes, for session tokens.
std::string RandomHex(size_t bytes);

// The SHA-256 of a text, in hexadecimal: how a session token is known in the database.
std::string Sha256Hex(const std::string& text);

}  // namespace omni::desk
