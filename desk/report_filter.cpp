#include "report_filter.h"

#include <cstdlib>

#include "time_text.h"

namespace omni::desk {

namespace {

bool Whole(const std::string& text, long low, long high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || n < low || n > high) return false;
    value = static_cast<int>(n);
    return true;
}

bool WholeId(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoll(text);
    return true;
}

}  // namespace

std::optional<std::string> ReadPeriod(const std::function<std::optional<std::string>(const char*)>& parameter,
                                      std::optional<int64_t>& fromMs, std::optional<int64_t>& toMs) {
    if (auto from = parameter("from"); from && !from->empty()) {
        fromMs = ParseIsoTime(*from);
        if (!fromMs) return "from: not an ISO 8601 date or time (2026-12-07 or 2026-12-07T09:30:00Z)";
    }
    // A day alone in "to" includes that day.
    if (auto to = parameter("to"); to && !to->empty()) {
        toMs = ParseIsoTime(*to, true);
        if (!toMs) return "to: not an ISO 8601 date or time (2026-12-07 or 2026-12-07T09:30:00Z)";
    }
    return std::nullopt;
}

std::optional<std::string> ReadReportFilter(const std::function<std::optional<std::string>(const char*)>& parameter,
                                            int defaultLimit, ReportFilter& filter) {
    if (auto ticket = parameter("ticket"); ticket && !ticket->empty()) filter.ticket = *ticket;
    if (auto red = parameter("red"); red && !red->empty()) filter.red = *red;
    if (auto error = ReadPeriod(parameter, filter.fromMs, filter.toMs)) return error;
    filter.limit = defaultLimit;
    if (auto limit = parameter("limit"); limit && !Whole(*limit, 1, kMaxListLimit, filter.limit))
        return "limit: a whole number from 1 to 10000";
    if (auto offset = parameter("offset"); offset && !Whole(*offset, 0, 999999999, filter.offset))
        return "offset: a whole number from 0";
    // The next page starts after the last report of this one: its "received" and "id", as listed.
    if (auto after = parameter("after"); after && !after->empty()) {
        const size_t comma = after->rfind(',');
        const std::optional<int64_t> received =
            comma == std::string::npos ? std::nullopt : ParseIsoTime(after->substr(0, comma));
        int64_t id = 0;
        if (!received || !WholeId(after->substr(comma + 1), id))
            return "after: the received time and number of a listed report (2026-12-07T09:30:05.123Z,17)";
        filter.after = std::make_pair(*received, id);
    }
    return std::nullopt;
}

}  // namespace omni::desk
