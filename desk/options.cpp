#include "options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include <openssl/crypto.h>

#include "client_address.h"

namespace omni::desk {

namespace {

bool Number(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 15) return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0' && value >= low && value <= high;
}

// The password file: the service's user's own, readable by nobody else; one line.
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& password) {
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (file < 0) return "omniprobe-desk: cannot read the password file " + path;
    struct stat facts {};
    std::optional<std::string> error;
    if (fstat(file, &facts) != 0 || !S_ISREG(facts.st_mode)) error = "is not a file";
    else if (facts.st_uid != geteuid()) error = "does not belong to the service's user";
    else if ((facts.st_mode & 077) != 0) error = "may be read or written by others than the service's user (chmod 600)";
    char buffer[1024];
    const ssize_t n = error ? 0 : ::read(file, buffer, sizeof buffer);
    close(file);
    if (error) return "omniprobe-desk: the password file " + path + " " + *error;
    if (n < 0 || static_cast<size_t>(n) == sizeof buffer) {
        OPENSSL_cleanse(buffer, sizeof buffer);
        return "omniprobe-desk: the password file " + path + " is not one line of at most 1000 bytes";
    }
    size_t size = static_cast<size_t>(n);
    if (size > 0 && buffer[size - 1] == '\n') --size;
    if (size > 0 && buffer[size - 1] == '\r') --size;
    password.assign(buffer, size);
    OPENSSL_cleanse(buffer, sizeof buffer);
    return std::nullopt;
}

}  // namespace

const char* UsageText() {
    return "Usage: omniprobe-desk [options]\n"
           "       omniprobe-desk user add|password|remove NAME [--db FILE|URL]   (and: user list)\n"
           "Receives the reports that Omniprobe's SendInformation posts to /report, stores them, and shows\n"
           "them on a dashboard to the staff accounts in the database (the first is \"desk\").\n"
           "  --listen ADDRESS       address to listen on (default 127.0.0.1)\n"
           "  --port N               port (default 8470; 0 picks a free one)\n"
           "  --db FILE|URL          SQLite file (default omniprobe-desk.sqlite) or postgresql://... address;\n"
           "                         OMNI_DESK_DB in the environment gives it too\n"
           "  --password-file FILE   the password, from a file that only the service's user may read\n"
           "  --trusted-proxy ADDR   a proxy whose X-Real-IP header names the client (may be repeated)\n"
           "  --body-limit BYTES     largest report body accepted (default 262144)\n"
           "  --rate N               reports per minute from one address (default 60; 0: no limit)\n"
           "  --quota-bytes BYTES    bytes of reports one address may store in a UTC day (default 16777216;\n"
           "                         0: no quota)\n"
           "  --login-rate N         failed logins per minute from one address (default 10)\n"
           "  --login-rate-all N     failed logins per minute from all addresses together (default 30)\n"
           "  --retention-days N     delete reports older than N days (default 0: keep everything)\n"
           "  --connections N        connections served at once (default 64); more are answered 503\n"
           "  --connections-per-address N   of them from one address, trusted proxies aside (default 16)\n"
           "  --header-limit BYTES   a request's line and headers together (default 32768; at most 100 lines)\n"
           "  --request-timeout S    seconds for a whole request to arrive, headers and body (default 20)\n"
           "  --cert FILE --key FILE serve HTTPS with this certificate and key (PEM)\n"
           "  --help                 this text\n"
           "The account desk's password comes from --password-file or OMNI_DESK_PASSWORD (at least 12\n"
           "characters); without either, a database without accounts gets one generated and printed.\n";
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args,
                                        const std::function<const char*(const char*)>& environment, Options& options) {
    if (const char* db = environment("OMNI_DESK_DB"); db && *db) options.db = db;
    std::string passwordFile;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--help" || flag == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= args.size()) return "omniprobe-desk: " + flag + " needs a value (try --help)";
        const std::string& value = args[++i];
        long long n = 0;
        if (flag == "--listen") options.listen = value;
        else if (flag == "--db") options.db = value;
        else if (flag == "--cert") options.certFile = value;
        else if (flag == "--key") options.keyFile = value;
        else if (flag == "--password-file") passwordFile = value;
        else if (flag == "--trusted-proxy" && NormalizedAddress(value)) options.trustedProxies.push_back(*NormalizedAddress(value));
        else if (flag == "--port" && Number(value, 0, 65535, n)) options.port = static_cast<int>(n);
        else if (flag == "--body-limit" && Number(value, 1, 1LL << 30, n)) options.bodyLimit = static_cast<size_t>(n);
        else if (flag == "--rate" && Number(value, 0, 1000000, n)) options.postsPerMinute = static_cast<int>(n);
        else if (flag == "--quota-bytes" && Number(value, 0, 1LL << 50, n)) options.dailyQuotaBytes = n;
        else if (flag == "--login-rate" && Number(value, 1, 1000000, n)) options.loginFailuresPerMinute = static_cast<int>(n);
        else if (flag == "--login-rate-all" && Number(value, 1, 1000000, n))
            options.loginFailuresPerMinuteOverall = static_cast<int>(n);
        else if (flag == "--retention-days" && Number(value, 0, 100000, n)) options.retentionDays = static_cast<int>(n);
        // --threads: the older name, from when each connection's thread was all there was to count.
        else if ((flag == "--connections" || flag == "--threads") && Number(value, 1, 4096, n))
            options.connections = static_cast<int>(n);
        else if (flag == "--connections-per-address" && Number(value, 1, 4096, n))
            options.connectionsPerAddress = static_cast<int>(n);
        else if (flag == "--header-limit" && Number(value, 256, 1 << 20, n)) options.headerLimit = static_cast<size_t>(n);
        else if (flag == "--request-timeout" && Number(value, 1, 3600, n)) options.requestSeconds = static_cast<int>(n);
        else return "omniprobe-desk: bad option " + flag + " " + value + " (try --help)";
    }
    if (options.certFile.empty() != options.keyFile.empty()) return "omniprobe-desk: --cert and --key go together";
    if (!passwordFile.empty()) {
        if (auto error = ReadPasswordFile(passwordFile, options.password)) return error;
        options.passwordSource = passwordFile;
    } else if (const char* password = environment("OMNI_DESK_PASSWORD"); password && *password) {
        options.password = password;
        options.passwordSource = "OMNI_DESK_PASSWORD";
    }
    size_t characters = 0;
    for (unsigned char c : options.password) characters += (c & 0xC0) != 0x80 ? 1 : 0;
    if (!options.passwordSource.empty() && characters < kShortestPassword) {
        OPENSSL_cleanse(options.password.data(), options.password.size());
        options.password.clear();
        return "omniprobe-desk: the password from " + options.passwordSource + " is shorter than " +
               std::to_string(kShortestPassword) + " characters";
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
