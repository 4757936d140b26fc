// What the desk's benchmarks share: a child process started and waited for, concurrent posters with each
// post's answer and latency, and the figures of a phase. Benchmarks, not tests: every loop is bounded in
// count and time, and only loopback addresses are used.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "harness/child_process.h"

namespace omni::desk::bench {

using Clock = std::chrono::steady_clock;

// A program run with its output in a log file; stopped when the object goes.
class Child {
public:
    Child() = default;
    ~Child() { Stop(SIGTERM); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    // Starts argv with the environment given added to none; false when it cannot start.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment, const std::string& log);
    // The receiver's port from its banner (waits up to a minute), or -1.
    int ReceiverPort() const;
    void Stop(int signal);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string log_;
};

// Waits until 127.0.0.1:port takes connections (up to a minute).
bool WaitForPort(int port);
using harness::FreePort;

struct Post {
    std::string ticket;
    int status = 0;           // 0: no answer (refused connection, reset)
    double ms = 0;
    Clock::time_point answered;
};

struct LoadSettings {
    int posters = 16;
    int posts = 3000;    // at most
    int seconds = 60;    // at most
};

// The posters send `body` to 127.0.0.1:port/report?ticket=<phase>-<n> until `posts` are made or the time
// is up; `during` runs beside them with the count of posts made so far. The posts, and the seconds taken.
std::vector<Post> Load(const LoadSettings& settings, int port, const std::string& body, const std::string& phase,
                       const std::function<void(std::atomic<int>& made)>& during, double& seconds);

// The tickets that begin with "<phase>-" among the reports stored in database (a SQLite file or a
// PostgreSQL address), read page by page.
std::set<std::string> StoredTickets(const std::string& database, const std::string& phase);

double Percentile(std::vector<double> values, double p);

struct Figures {
    int answered = 0, refused = 0, failed = 0, missing = 0;
    double rate = 0, p50 = 0, p99 = 0;
};

// Prints a phase's figures: posts, answers, the 200s missing from `stored`, reports/s, p50 and p99.
Figures Report(const char* name, const std::vector<Post>& posts, const std::set<std::string>& stored, double seconds);

}  // namespace omni::desk::bench
