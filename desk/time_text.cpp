#include "time_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <regex>

namespace omni::desk {

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string IsoTime(int64_t ms) {
    const time_t seconds = static_cast<time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(ms % 1000));
    return text;
}

std::optional<int64_t> ParseIsoTime(const std::string& text, bool endOfDay) {
    static const std::regex kForm(
        "([0-9]{4})-([0-9]{2})-([0-9]{2})(?:[T ]([0-9]{2}):([0-9]{2})(?::([0-9]{2})(?:\\.([0-9]{1,3}))?)?Z?)?");
    std::smatch m;
    if (text.size() > 30 || !std::regex_match(text, m, kForm)) return std::nullopt;
    std::tm utc{};
    utc.tm_year = std::stoi(m[1]) - 1900;
    utc.tm_mon = std::stoi(m[2]) - 1;
    utc.tm_mday = std::stoi(m[3]);
    const bool dayOnly = !m[4].matched;
    utc.tm_hour = dayOnly ? 0 : std::stoi(m[4]);
    utc.tm_min = dayOnly ? 0 : std::stoi(m[5]);
    utc.tm_sec = m[6].matched ? std::stoi(m[6]) : 0;
    if (utc.tm_mon > 11 || utc.tm_mday < 1 || utc.tm_mday > 31 || utc.tm_hour > 23 || utc.tm_min > 59 ||
        utc.tm_sec > 60)
        return std::nullopt;
    const int day = utc.tm_mday, month = utc.tm_mon;
    const time_t seconds = timegm(&utc);
    if (utc.tm_mday != day || utc.tm_mon != month) return std::nullopt;  // 2026-02-30 is no date
    int64_t ms = static_cast<int64_t>(seconds) * 1000;
    if (m[7].matched) {
        std::string fraction = m[7].str();
        fraction.resize(3, '0');
        ms += std::stoi(fraction);
    }
    if (dayOnly && endOfDay) ms += 24 * 3600 * 1000;
    return ms;
}

}  // namespace omni::desk
