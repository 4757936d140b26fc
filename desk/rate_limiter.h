// Events per address in a sliding minute: a token bucket per address that refills continuously.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace omni::desk {

class RateLimiter {
public:
    // perMinute 0: no limit.
    explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}
    // Takes one event for the address; false when the address has used up its rate.
    bool Allow(const std::string& address, int64_t nowMs);
    // Whether the address could take one now, without taking it.
    bool HasRoom(const std::string& address, int64_t nowMs);

private:
    struct Bucket {
        double tokens;
        int64_t lastMs;
    };
    Bucket& Refilled(const std::string& address, int64_t nowMs);
    const int perMinute_;
    std::mutex lock_;
    std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace omni::desk
