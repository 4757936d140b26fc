// The desk's login: user "desk" and one password, kept as a hash. The API takes HTTP Basic or the
// dashboard's session; the dashboard's form opens a session. Failed attempts per address are limited.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "password.h"
#include "rate_limiter.h"

namespace omni::desk {

inline constexpr char kDeskUser[] = "desk";
inline constexpr char kSessionCookie[] = "omni_desk_session";

enum class Access { Allowed, Refused, Throttled };

class Login {
public:
    Login(const std::string& password, int failuresPerMinute);

    // The Authorization header "Basic <base64 of user:password>", or the Cookie header with a session.
    Access Check(const std::string& authorization, const std::string& cookie, const std::string& address, int64_t nowMs);
    // The form's user and password: a new session token, or the refusal.
    Access Open(const std::string& user, const std::string& password, const std::string& address, int64_t nowMs,
                std::string& token);
    void Close(const std::string& cookie);

private:
    Access Verify(const std::string& user, const std::string& password, const std::string& address, int64_t nowMs);
    bool SessionValid(const std::string& cookie, int64_t nowMs);

    const PasswordHash hash_;
    RateLimiter failures_;
    std::mutex lock_;
    std::unordered_map<std::string, int64_t> sessions_;  // token -> last use
};

// The value of one cookie in a Cookie header.
std::string CookieValue(const std::string& header, const std::string& name);

}  // namespace omni::desk
