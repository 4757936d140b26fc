#include "rate_limiter.h"

namespace omni::desk {

bool RateLimiter::Allow(const std::string& address, int64_t nowMs) {
    return perMinute_ <= 0 || storage_.TakeToken(Bucket(address), perMinute_, nowMs);
}

bool RateLimiter::HasRoom(const std::string& address, int64_t nowMs) {
    return perMinute_ <= 0 || storage_.HasToken(Bucket(address), perMinute_, nowMs);
}

}  // namespace omni::desk
