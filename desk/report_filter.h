// The list's filters as the API and the dashboard give them: ticket, from, to, red, limit, offset, after.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "storage.h"

namespace omni::desk {

inline constexpr int kMaxListLimit = 10000;

// `parameter` answers a query parameter's value, or nullopt when it is absent. An error text for a bad
// value (a date that is not ISO 8601, a limit outside 1 to 10,000, a negative offset, a cursor that is not
// "<received>,<number>" of a listed report), or the filter.
std::optional<std::string> ReadReportFilter(const std::function<std::optional<std::string>(const char*)>& parameter,
                                            int defaultLimit, ReportFilter& filter);

// "from" and "to" alone, for the summary.
std::optional<std::string> ReadPeriod(const std::function<std::optional<std::string>(const char*)>& parameter,
                                      std::optional<int64_t>& fromMs, std::optional<int64_t>& toMs);

}  // namespace omni::desk
