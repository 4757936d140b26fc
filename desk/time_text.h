// Times as the desk shows and filters them: milliseconds since 1970 in storage, ISO 8601 (UTC) in text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace omni::desk {

int64_t NowMs();

// "2026-12-07T09:30:05.123Z"
std::string IsoTime(int64_t ms);

// "2026-12-07" (that day's start, or with endOfDay the next day's start), "2026-12-07T09:30",
// "2026-12-07T09:30:05", with optional ".fff" and "Z"; all in UTC. Anything else: nullopt.
std::optional<int64_t> ParseIsoTime(const std::string& text, bool endOfDay = false);

}  // namespace omni::desk
