// omniprobe-desk: receives the reports that SendInformation posts, keeps them in SQLite or PostgreSQL,
// and shows them to the desk on a dashboard behind its login.
#include <signal.h>
#include <sys/stat.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include <httplib.h>
#include <openssl/crypto.h>

#include "http_routes.h"
#include "intake.h"
#include "login.h"
#include "options.h"
#include "storage.h"
#include "time_text.h"

using namespace omni::desk;

namespace {

// Deletes reports older than the retention at start and every hour, until told to stop.
class Retention {
public:
    Retention(Storage& storage, int days) : storage_(storage), days_(days) {
        if (days_ > 0) thread_ = std::thread([this] { Loop(); });
    }
    ~Retention() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> hold(lock_);
        while (!stop_) {
            try {
                const int64_t removed = storage_.DeleteBefore(NowMs() - int64_t(days_) * 24 * 3600 * 1000);
                if (removed > 0) std::printf("retention: %lld reports older than %d days deleted\n",
                                             static_cast<long long>(removed), days_);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "omniprobe-desk: retention: %s\n", e.what());
            }
            std::fflush(stdout);
            wake_.wait_for(hold, std::chrono::hours(1), [this] { return stop_; });
        }
    }

    Storage& storage_;
    const int days_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (auto error = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), std::getenv, options)) {
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

    // Reports describe people's PCs: the database file and its log are for the service's user alone.
    umask(077);
    std::unique_ptr<Storage> storage;
    try {
        storage = OpenStorage(options.db);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "omniprobe-desk: cannot open the database %s: %s\n", PrintableDatabase(options.db).c_str(), e.what());
        return 1;
    }
    const bool generated = options.password.empty();
    std::string password = generated ? GeneratePassword() : options.password;
    Login login(password, options.loginFailuresPerMinute);
    // From here on only the hash is kept: the texts are wiped, and the variable leaves the environment.
    OPENSSL_cleanse(options.password.data(), options.password.size());
    options.password.clear();
    unsetenv("OMNI_DESK_PASSWORD");
    if (!generated) {
        OPENSSL_cleanse(password.data(), password.size());
        password.clear();
    }
    Intake intake(*storage, options.bodyLimit, options.postsPerMinute);
    Retention retention(*storage, options.retentionDays);

    const bool https = !options.certFile.empty();
    std::unique_ptr<httplib::Server> server;
    if (https) {
        auto secure = std::make_unique<httplib::SSLServer>(options.certFile.c_str(), options.keyFile.c_str());
        if (!secure->is_valid()) {
            std::fprintf(stderr, "omniprobe-desk: cannot use the certificate %s with the key %s\n",
                         options.certFile.c_str(), options.keyFile.c_str());
            return 1;
        }
        server = std::move(secure);
    } else {
        server = std::make_unique<httplib::Server>();
    }
    const int threads = options.threads;
    server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server->set_payload_max_length(options.bodyLimit);
    // Each poster's browser window sends one request; a short keep-alive frees the threads for the next.
    server->set_keep_alive_timeout(2);
    int listening = -1;
    server->set_socket_options([&listening](int socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    DeskRoutes routes(*storage, intake, login, https);
    routes.Install(*server);

    int port = options.port;
    if (port == 0) port = server->bind_to_any_port(options.listen);
    else if (!server->bind_to_port(options.listen, port)) port = -1;
    if (port <= 0) {
        std::fprintf(stderr, "omniprobe-desk: cannot listen on %s:%d\n", options.listen.c_str(), options.port);
        return 1;
    }
    // The library listens with a backlog of 5; a burst of posters needs a longer queue.
    if (listening >= 0) ::listen(listening, SOMAXCONN);

    const std::string host = options.listen.find(':') != std::string::npos ? "[" + options.listen + "]" : options.listen;
    std::printf("omniprobe-desk: dashboard at %s://%s:%d/\n", https ? "https" : "http", host.c_str(), port);
    std::printf("omniprobe-desk: reports are posted to %s://%s:%d/report\n", https ? "https" : "http", host.c_str(), port);
    if (generated) std::printf("omniprobe-desk: login: user desk, password %s\n", password.c_str());
    else std::printf("omniprobe-desk: login: user desk, password from OMNI_DESK_PASSWORD\n");
    std::printf("omniprobe-desk: storage: %s\n", PrintableDatabase(options.db).c_str());
    std::fflush(stdout);
    OPENSSL_cleanse(password.data(), password.size());
    password.clear();

    std::thread stopper([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server->stop();
    });
    const bool served = server->listen_after_bind();
    if (stopper.joinable()) {
        pthread_kill(stopper.native_handle(), SIGTERM);  // if the server ended by itself, release the waiter
        stopper.join();
    }
    std::printf("omniprobe-desk: stopped\n");
    return served ? 0 : 1;
}
