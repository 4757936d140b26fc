#include "storage.h"

#include <algorithm>
#include <limits>
#include <set>

#include "postgres_storage.h"
#include "sqlite_storage.h"

namespace omni::desk {

namespace {

// Far outside any time a report carries, yet far from overflowing when multiplied by a day.
constexpr int64_t kNoDay = 1LL << 40;

int64_t FloorDay(int64_t ms) { return ms / kDayMs - (ms % kDayMs < 0 ? 1 : 0); }
int64_t CeilDay(int64_t ms) { return FloorDay(ms) + (ms % kDayMs != 0 ? 1 : 0); }

}  // namespace

int64_t StoredBytes(const NewReport& report) {
    return static_cast<int64_t>(report.xml.size() + report.ieAddons.size() + report.ticket.size() + report.lang.size());
}

PeriodParts SplitByDays(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) {
    PeriodParts parts;
    parts.firstDay = fromMs ? CeilDay(*fromMs) : -kNoDay;
    parts.endDay = toMs ? FloorDay(*toMs) : kNoDay;
    if (parts.firstDay >= parts.endDay) {  // less than a whole day: both ends are given
        if (*fromMs < *toMs) parts.before = std::make_pair(*fromMs, *toMs);
        parts.firstDay = parts.endDay = 0;
        return parts;
    }
    if (fromMs && *fromMs < parts.firstDay * kDayMs) parts.before = std::make_pair(*fromMs, parts.firstDay * kDayMs);
    if (toMs && parts.endDay * kDayMs < *toMs) parts.after = std::make_pair(parts.endDay * kDayMs, *toMs);
    return parts;
}

ListWindow WindowOf(const ReportFilter& filter) {
    constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
    ListWindow window{filter.fromMs.value_or(std::numeric_limits<int64_t>::min()), filter.toMs ? *filter.toMs - 1 : kMost,
                      kMost, kMost};
    if (filter.after) {
        window.high = std::min(window.high, filter.after->first);
        window.cursorMs = filter.after->first;
        window.cursorId = filter.after->second;
    }
    return window;
}

std::vector<RedCount> MostFirst(const std::map<std::string, int64_t>& counts) {
    std::vector<RedCount> sorted;
    for (const auto& [key, reports] : counts)
        if (reports > 0) sorted.push_back({key, reports});
    std::stable_sort(sorted.begin(), sorted.end(), [](const RedCount& a, const RedCount& b) { return a.reports > b.reports; });
    return sorted;
}

std::vector<std::string> DistinctRedKeys(const std::vector<StoredItem>& items) {
    std::set<std::string> keys;
    for (const StoredItem& item : items)
        if (item.red) keys.insert(item.key);
    return {keys.begin(), keys.end()};
}

std::unique_ptr<Storage> OpenStorage(const std::string& address) {
    if (address.rfind("postgresql://", 0) == 0 || address.rfind("postgres://", 0) == 0)
        return std::make_unique<PostgresStorage>(address);
    return std::make_unique<SqliteStorage>(address);
}

}  // namespace omni::desk
