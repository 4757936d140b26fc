#include "rate_limiter.h"

#include <algorithm>

namespace omni::desk {

RateLimiter::Bucket& RateLimiter::Refilled(const std::string& address, int64_t nowMs) {
    // Full buckets say nothing; dropping them keeps the table as small as the current senders.
    if (buckets_.size() > 10000) {
        for (auto it = buckets_.begin(); it != buckets_.end();)
            it = nowMs - it->second.lastMs > 60000 ? buckets_.erase(it) : std::next(it);
    }
    auto [it, added] = buckets_.try_emplace(address, Bucket{static_cast<double>(perMinute_), nowMs});
    Bucket& bucket = it->second;
    bucket.tokens = std::min<double>(perMinute_, bucket.tokens + (nowMs - bucket.lastMs) * perMinute_ / 60000.0);
    bucket.lastMs = nowMs;
    return bucket;
}

bool RateLimiter::Allow(const std::string& address, int64_t nowMs) {
    if (perMinute_ <= 0) return true;
    std::lock_guard<std::mutex> hold(lock_);
    Bucket& bucket = Refilled(address, nowMs);
    if (bucket.tokens < 1.0) return false;
    bucket.tokens -= 1.0;
    return true;
}

bool RateLimiter::HasRoom(const std::string& address, int64_t nowMs) {
    if (perMinute_ <= 0) return true;
    std::lock_guard<std::mutex> hold(lock_);
    return Refilled(address, nowMs).tokens >= 1.0;
}

}  // namespace omni::desk
