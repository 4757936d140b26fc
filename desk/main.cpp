// omniprobe-desk: receives the reports that SendInformation posts, keeps them in SQLite or PostgreSQL,
// and shows them to the desk on a dashboard behind its login.
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include <openssl/crypto.h>

#include "bounded_server.h"
#include "client_address.h"
#include "http_routes.h"
#include "intake.h"
#include "login.h"
#include "options.h"
#include "staff_accounts.h"
#include "storage.h"
#include "time_text.h"
#include "user_command.h"

using namespace omni::desk;

namespace {

// Every ten minutes, and at start: drops expired sessions and spent counters, and deletes reports older
// than the retention. Where several services share a database, one at a time deletes.
class Maintenance {
public:
    Maintenance(Storage& storage, int retentionDays) : storage_(storage), days_(retentionDays) {
        thread_ = std::thread([this] { Loop(); });
    }
    ~Maintenance() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> hold(lock_);
        while (!stop_) {
            try {
                const int64_t now = NowMs();
                storage_.Tidy(now, kSessionIdleMs);
                if (days_ > 0) {
                    const std::optional<int64_t> removed = storage_.DeleteBefore(now - int64_t(days_) * 24 * 3600 * 1000);
                    if (removed && *removed > 0)
                        std::printf("retention: %lld reports older than %d days deleted\n",
                                    static_cast<long long>(*removed), days_);
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "omniprobe-desk: maintenance: %s\n", e.what());
            }
            std::fflush(stdout);
            wake_.wait_for(hold, std::chrono::minutes(10), [this] { return stop_; });
        }
    }

    Storage& storage_;
    const int days_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

void Forget(std::string& secret) {
    OPENSSL_cleanse(secret.data(), secret.size());
    secret.clear();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "user")
        return RunUserCommand(std::vector<std::string>(argv + 2, argv + argc), std::getenv);
    Options options;
    const std::optional<std::string> error =
        ParseOptions(std::vector<std::string>(argv + 1, argv + argc), std::getenv, options);
    // The variable's value is overwritten where the process's environment keeps it, so it is gone from
    // /proc/<pid>/environ too, not only from getenv.
    if (char* value = std::getenv("OMNI_DESK_PASSWORD")) OPENSSL_cleanse(value, std::strlen(value));
    unsetenv("OMNI_DESK_PASSWORD");
    if (error) {
        std::fprintf(stderr, "%s\n", error->c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    // Ctrl-C and SIGTERM stop the server from a thread of its own; no handler runs inside a request.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    // Reports describe people's PCs: the database file, its log and its folder are for the service's user alone.
    umask(077);
    std::unique_ptr<Storage> storage;
    try {
        storage = OpenStorage(options.db);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "omniprobe-desk: cannot open the database %s: %s\n", PrintableDatabase(options.db).c_str(), e.what());
        return 1;
    }
    // The password given to the service is the first account's; without one, a database without accounts
    // gets it with a generated password. From here on only hashes are kept; a generated one until it is printed.
    std::string generated;
    try {
        generated = StaffAccounts(*storage).PrepareFirstAccount(options.password, NowMs());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "omniprobe-desk: cannot prepare the first account: %s\n", e.what());
        return 1;
    }
    Forget(options.password);
    Login login(*storage, LoginLimits{options.loginFailuresPerMinute, options.loginFailuresPerMinuteOverall});
    Intake intake(*storage, IntakeLimits{options.bodyLimit, options.postsPerMinute, options.dailyQuotaBytes});
    Maintenance maintenance(*storage, options.retentionDays);

    const bool https = !options.certFile.empty();
    std::unique_ptr<TlsContext> tls;
    if (https) {
        try {
            tls = std::make_unique<TlsContext>(options.certFile, options.keyFile);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "omniprobe-desk: cannot use the certificate %s with the key %s: %s\n",
                         options.certFile.c_str(), options.keyFile.c_str(), e.what());
            return 1;
        }
    }
    ServerBounds bounds;
    bounds.request.headBytes = options.headerLimit;
    bounds.request.deadline = std::chrono::seconds(options.requestSeconds);
    bounds.connections = options.connections;
    bounds.connectionsPerAddress = options.connectionsPerAddress;
    bounds.trustedProxies = options.trustedProxies;
    BoundedServer server(bounds, std::move(tls));
    server.set_payload_max_length(options.bodyLimit);
    // Each poster's browser window sends one request; a short keep-alive frees the threads for the next.
    server.set_keep_alive_timeout(2);
    int listening = -1;
    server.set_socket_options([&listening](int socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    DeskRoutes routes(*storage, intake, login, https, options.trustedProxies);
    routes.Install(server);

    int port = options.port;
    if (port == 0) port = server.bind_to_any_port(options.listen);
    else if (!server.bind_to_port(options.listen, port)) port = -1;
    if (port <= 0) {
        std::fprintf(stderr, "omniprobe-desk: cannot listen on %s:%d\n", options.listen.c_str(), options.port);
        return 1;
    }
    // The library listens with a backlog of 5; a burst of posters needs a longer queue.
    if (listening >= 0) ::listen(listening, SOMAXCONN);

    const std::string host = options.listen.find(':') != std::string::npos ? "[" + options.listen + "]" : options.listen;
    const char* scheme = https ? "https" : "http";
    std::printf("omniprobe-desk: dashboard at %s://%s:%d/\n", scheme, host.c_str(), port);
    std::printf("omniprobe-desk: reports are posted to %s://%s:%d/report\n", scheme, host.c_str(), port);
    if (!generated.empty()) std::printf("omniprobe-desk: login: user desk, password %s\n", generated.c_str());
    else if (!options.passwordSource.empty())
        std::printf("omniprobe-desk: login: user desk, password from %s; and the other staff accounts\n",
                    options.passwordSource.c_str());
    else std::printf("omniprobe-desk: login: the staff accounts in the database (omniprobe-desk user list)\n");
    for (const std::string& proxy : options.trustedProxies)
        std::printf("omniprobe-desk: trusts the client address that %s names in %s\n", proxy.c_str(), kClientHeader);
    std::printf("omniprobe-desk: storage: %s\n", PrintableDatabase(options.db).c_str());
    std::fflush(stdout);
    Forget(generated);

    std::thread stopper([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    const bool served = server.listen_after_bind();
    if (stopper.joinable()) {
        pthread_kill(stopper.native_handle(), SIGTERM);  // if the server ended by itself, release the waiter
        stopper.join();
    }
    std::printf("omniprobe-desk: stopped\n");
    return served ? 0 : 1;
}
