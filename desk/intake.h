// Receiving one posted report: the rate per address, the three fields, a well-formed report, then one
// transaction. A refused post stores nothing; a stored one is on disk before the answer is written.
#pragma once

#include <cstdint>
#include <string>

#include "rate_limiter.h"
#include "storage.h"

namespace omni::desk {

enum class IntakeResult { Stored, TooLarge, TooMany, NotTheThreeFields, BadEscape, NotText, NotAReport, BadTicket };

struct Incoming {
    std::string body;
    bool overLimit = false;  // the body was longer than the limit (and is cut short)
    std::string ticket;  // the "ticket" of the query string, decoded
    std::string sender;
    int64_t receivedMs = 0;
};

struct IntakeOutcome {
    IntakeResult result = IntakeResult::Stored;
    int status = 200;
    int64_t id = 0;
    bool korean = false;  // the answer's language: the report's "txt_lang"
    std::string detail;   // for a report that is not well-formed: what is wrong, in English
};

class Intake {
public:
    Intake(Storage& storage, size_t bodyLimit, int postsPerMinute);
    IntakeOutcome Receive(const Incoming& post);
    size_t bodyLimit() const { return bodyLimit_; }

private:
    Storage& storage_;
    const size_t bodyLimit_;
    RateLimiter rate_;
};

// "kor" in any letter case, as the control's Lang reads it.
bool IsKorean(const std::string& lang);

}  // namespace omni::desk
