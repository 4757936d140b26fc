// Receiving one posted report: the rate per address, the size, the three fields, a well-formed report,
// then one transaction within the sender's daily quota. A refused post stores nothing (it only counts
// toward the rate); a stored one is on disk before the answer is written.
#pragma once

#include <cstdint>
#include <string>

#include "rate_limiter.h"
#include "storage.h"

namespace omni::desk {

enum class IntakeResult {
    Stored, TooLarge, TooMany, OverQuota, NotTheThreeFields, BadEscape, NotText, BadLang, NotAReport, BadTicket
};

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

struct IntakeLimits {
    size_t bodyLimit = 256 * 1024;
    int postsPerMinute = 60;        // per sender address; 0: no limit
    int64_t dailyQuotaBytes = 0;    // per sender address and UTC day; 0: no quota
};

class Intake {
public:
    Intake(Storage& storage, IntakeLimits limits);
    IntakeOutcome Receive(const Incoming& post);
    size_t bodyLimit() const { return limits_.bodyLimit; }

private:
    Storage& storage_;
    const IntakeLimits limits_;
    RateLimiter rate_;
};

// "kor" in any letter case, as the control's Lang reads it.
bool IsKorean(const std::string& lang);

// A ticket is UTF-8 text of at most 1,000 bytes without control or format characters (Unicode Cc, Cf:
// bidi overrides, zero-width marks and the like), which would make it read otherwise than it is.
bool IsTicket(const std::string& ticket);

// "eng", "kor", "en-US": at most 16 ASCII letters, digits, "-" and "_" (or nothing).
bool IsLanguageCode(const std::string& lang);

}  // namespace omni::desk
