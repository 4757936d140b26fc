#include "options.h"

#include <cstdlib>
#include <regex>

namespace omni::desk {

namespace {

bool Number(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 12) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= low && value <= high;
}

}  // namespace

const char* UsageText() {
    return "Usage: omniprobe-desk [options]\n"
           "Receives the reports that Omniprobe's SendInformation posts to /report, stores them, and shows\n"
           "them on a dashboard (user \"desk\").\n"
           "  --listen ADDRESS       address to listen on (default 127.0.0.1)\n"
           "  --port N               port (default 8470; 0 picks a free one)\n"
           "  --db FILE|URL          SQLite file (default omniprobe-desk.sqlite) or postgresql://... address;\n"
           "                         OMNI_DESK_DB in the environment gives it too\n"
           "  --body-limit BYTES     largest report body accepted (default 262144)\n"
           "  --rate N               reports per minute from one address (default 60; 0: no limit)\n"
           "  --login-rate N         failed logins per minute from one address (default 10)\n"
           "  --retention-days N     delete reports older than N days (default 0: keep everything)\n"
           "  --threads N            request threads (default 16)\n"
           "  --cert FILE --key FILE serve HTTPS with this certificate and key (PEM)\n"
           "  --help                 this text\n"
           "The password comes from OMNI_DESK_PASSWORD; without it one is generated and printed at start.\n";
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args,
                                        const std::function<const char*(const char*)>& environment, Options& options) {
    if (const char* db = environment("OMNI_DESK_DB"); db && *db) options.db = db;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--help" || flag == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= args.size()) return "omniprobe-desk: " + flag + " needs a value (try --help)";
        const std::string& value = args[++i];
        long n = 0;
        if (flag == "--listen") options.listen = value;
        else if (flag == "--db") options.db = value;
        else if (flag == "--cert") options.certFile = value;
        else if (flag == "--key") options.keyFile = value;
        else if (flag == "--port" && Number(value, 0, 65535, n)) options.port = static_cast<int>(n);
        else if (flag == "--body-limit" && Number(value, 1, 1L << 30, n)) options.bodyLimit = static_cast<size_t>(n);
        else if (flag == "--rate" && Number(value, 0, 1000000, n)) options.postsPerMinute = static_cast<int>(n);
        else if (flag == "--login-rate" && Number(value, 1, 1000000, n)) options.loginFailuresPerMinute = static_cast<int>(n);
        else if (flag == "--retention-days" && Number(value, 0, 100000, n)) options.retentionDays = static_cast<int>(n);
        else if (flag == "--threads" && Number(value, 1, 1024, n)) options.threads = static_cast<int>(n);
        else return "omniprobe-desk: bad option " + flag + " " + value + " (try --help)";
    }
    if (options.certFile.empty() != options.keyFile.empty()) return "omniprobe-desk: --cert and --key go together";
    if (const char* password = environment("OMNI_DESK_PASSWORD"); password && *password) {
        options.password = password;
        options.passwordFromEnvironment = true;
    }
    return std::nullopt;
}

std::string PrintableDatabase(const std::string& db) {
    static const std::regex kPassword("^(postgres(?:ql)?://[^:/@]*):[^@]*@");
    static const std::regex kParameter("([?&]password=)[^&]*");
    if (db.rfind("postgres", 0) != 0) return db;
    return std::regex_replace(std::regex_replace(db, kPassword, "$1@", std::regex_constants::format_first_only),
                              kParameter, "$1...");
}

}  // namespace omni::desk
