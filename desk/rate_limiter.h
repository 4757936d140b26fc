// Events per address in a sliding minute, counted in the database so that every service sharing it
// counts the same: a token bucket per address that refills continuously.
#pragma once

#include <cstdint>
#include <string>

#include "storage.h"

namespace omni::desk {

class RateLimiter {
public:
    // `kind` names the limit ("post", "login"); perMinute 0: no limit.
    RateLimiter(Storage& storage, std::string kind, int perMinute)
        : storage_(storage), kind_(std::move(kind)), perMinute_(perMinute) {}
    // Takes one event for the address; false when the address has used up its rate.
    bool Allow(const std::string& address, int64_t nowMs);
    // Whether the address could take one now, without taking it.
    bool HasRoom(const std::string& address, int64_t nowMs);

private:
    std::string Bucket(const std::string& address) const { return kind_ + " " + address; }
    Storage& storage_;
    const std::string kind_;
    const int perMinute_;
};

}  // namespace omni::desk
