// The desk's login: the staff accounts in the database, each with its password's hash. The API takes HTTP
// Basic or the dashboard's session; the dashboard's form opens a session, which records its account.
// Sessions and failed attempts live in the database, so any service sharing it serves any login and counts
// every failure. Failures are limited per address and over all addresses.
#pragma once

#include <cstdint>
#include <string>

#include "password.h"
#include "rate_limiter.h"
#include "storage.h"

namespace omni::desk {

inline constexpr char kDeskUser[] = "desk";  // the first account, whose password the service may be given
inline constexpr char kSessionCookie[] = "omni_desk_session";
inline constexpr int64_t kSessionIdleMs = 12LL * 3600 * 1000;

enum class Access { Allowed, Refused, Throttled };

struct LoginLimits {
    int perAddress = 10;  // failed logins a minute from one address
    int overall = 30;     // failed logins a minute from all addresses together
};

class Login {
public:
    Login(Storage& storage, LoginLimits limits);

    // The Authorization header "Basic <base64 of user:password>", or the Cookie header with a session; the
    // account when allowed.
    Access Check(const std::string& authorization, const std::string& cookie, const std::string& address, int64_t nowMs,
                 std::string& account);
    // The form's user and password: a new session token, or the refusal.
    Access Open(const std::string& user, const std::string& password, const std::string& address, int64_t nowMs,
                std::string& token);
    void Close(const std::string& cookie);

private:
    Access Verify(const std::string& user, const std::string& password, const std::string& address, int64_t nowMs);

    Storage& storage_;
    RateLimiter failures_, allFailures_;
};

// The value of one cookie in a Cookie header.
std::string CookieValue(const std::string& header, const std::string& name);

}  // namespace omni::desk
