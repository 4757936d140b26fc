// The service's settings: flags first, then the environment, then safe defaults.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace omni::desk {

inline constexpr size_t kShortestPassword = 12;

struct Options {
    std::string listen = "127.0.0.1";
    int port = 8470;                   // 0: any free port (printed at start)
    std::string db = "omniprobe-desk.sqlite";
    size_t bodyLimit = 256 * 1024;
    int postsPerMinute = 60;           // per sender address; 0: no limit
    int64_t dailyQuotaBytes = 16LL << 20;  // per sender address and UTC day; 0: none
    int loginFailuresPerMinute = 10;   // per address
    int loginFailuresPerMinuteOverall = 30;
    int retentionDays = 0;             // 0: keep everything
    int connections = 64;
    int connectionsPerAddress = 16;
    size_t headerLimit = 32 * 1024;
    int requestSeconds = 20;
    std::vector<std::string> trustedProxies;
    std::string certFile, keyFile;     // both set: HTTPS
    std::string password;              // empty: generate one
    std::string passwordSource;        // "OMNI_DESK_PASSWORD" or the file's path; empty when generated
    bool help = false;
};

// argv without the program name; getenv-like lookup for OMNI_DESK_PASSWORD and OMNI_DESK_DB.
// An error text for a bad flag, a password file that others may read, or a short password; or the options.
std::optional<std::string> ParseOptions(const std::vector<std::string>& args,
                                        const std::function<const char*(const char*)>& environment, Options& options);

const char* UsageText();

// The address of the database as it may be printed: a PostgreSQL password is left out.
std::string PrintableDatabase(const std::string& db);

}  // namespace omni::desk
