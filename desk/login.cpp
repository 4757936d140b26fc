#include "login.h"

#include <openssl/evp.h>

namespace omni::desk {

namespace {

std::optional<std::string> Base64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0 || text.size() > 4096) return std::nullopt;
    std::string bytes(text.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    if (n < 0) return std::nullopt;
    size_t padding = 0;
    for (size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) ++padding;
    bytes.resize(n - padding);
    return bytes;
}

}  // namespace

std::string CookieValue(const std::string& header, const std::string& name) {
    size_t start = 0;
    while (start < header.size()) {
        size_t end = header.find(';', start);
        if (end == std::string::npos) end = header.size();
        size_t first = header.find_first_not_of(' ', start);
        if (first < end && header.compare(first, name.size() + 1, name + "=") == 0)
            return header.substr(first + name.size() + 1, end - first - name.size() - 1);
        start = end + 1;
    }
    return "";
}

Login::Login(Storage& storage, LoginLimits limits)
    : storage_(storage), failures_(storage, "login", limits.perAddress), allFailures_(storage, "login-all", limits.overall) {}

Access Login::Verify(const std::string& user, const std::string& password, const std::string& address, int64_t nowMs) {
    if (!failures_.HasRoom(address, nowMs) || !allFailures_.HasRoom("", nowMs)) return Access::Throttled;
    const std::optional<std::string> hash = storage_.PasswordHashOf(user);
    // A name without an account costs as much as a wrong password, so timing tells nothing of the names.
    const bool matches = PasswordMatches(password, hash ? *hash : UnusableHash());
    if (hash && matches) return Access::Allowed;
    failures_.Allow(address, nowMs);
    allFailures_.Allow("", nowMs);
    return Access::Refused;
}

Access Login::Check(const std::string& authorization, const std::string& cookie, const std::string& address,
                    int64_t nowMs, std::string& account) {
    if (!authorization.empty()) {
        if (authorization.compare(0, 6, "Basic ") != 0) return Access::Refused;
        const std::optional<std::string> pair = Base64(authorization.substr(6));
        const size_t colon = pair ? pair->find(':') : std::string::npos;
        if (colon == std::string::npos) return Access::Refused;
        const Access access = Verify(pair->substr(0, colon), pair->substr(colon + 1), address, nowMs);
        if (access == Access::Allowed) account = pair->substr(0, colon);
        return access;
    }
    const std::string token = CookieValue(cookie, kSessionCookie);
    if (token.empty()) return Access::Refused;
    const std::optional<std::string> holder = storage_.UseSession(Sha256Hex(token), nowMs, kSessionIdleMs);
    if (!holder) return Access::Refused;
    account = *holder;
    return Access::Allowed;
}

Access Login::Open(const std::string& user, const std::string& password, const std::string& address, int64_t nowMs,
                   std::string& token) {
    const Access access = Verify(user, password, address, nowMs);
    if (access != Access::Allowed) return access;
    token = RandomHex(32);
    storage_.OpenSession(Sha256Hex(token), user, nowMs);
    return Access::Allowed;
}

void Login::Close(const std::string& cookie) {
    const std::string token = CookieValue(cookie, kSessionCookie);
    if (!token.empty()) storage_.CloseSession(Sha256Hex(token));
}

}  // namespace omni::desk
