// The receiver under load and under faults, on 127.0.0.1 only, every loop bounded in count and time:
//  1. concurrent posters send reports; every post answered 200 must be in the database, and the counts match;
//  2. the same while the receiver is killed with SIGKILL and started again on the same file: every post
//     answered 200 (before the kill and after) must still be there;
//  3. the same rows inserted straight into SQLite by the storage class, for the ratio of the receiver's
//     ingest rate to SQLite's own.
// Prints reports per second, the 50th and 99th percentile latency, and that ratio. A benchmark, not a test.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

#include "control/post_body.h"
#include "report_xml.h"
#include "sqlite_storage.h"
#include "time_text.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
    std::string desk, report, folder;
    int posters = 16;
    int posts = 3000;       // per phase, at most
    int seconds = 60;       // per phase, at most
};

// The service as a child process, its output in a file; restarted on the same port and database.
class Receiver {
public:
    Receiver(const Settings& s, std::string db) : s_(s), db_(std::move(db)) {}
    ~Receiver() { Stop(SIGTERM); }
    int Start(int port) {
        const std::string log = s_.folder + "/receiver.log";
        std::vector<std::string> args = {s_.desk, "--port", std::to_string(port), "--db", db_, "--rate", "0", "--threads", "16"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string password = "OMNI_DESK_PASSWORD=bench";
        std::vector<char*> env = {password.data(), nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) return -1;
        posix_spawn_file_actions_destroy(&actions);
        const std::regex address("dashboard at http://127\\.0\\.0\\.1:([0-9]+)/");
        for (int tries = 0; tries < 300; ++tries) {
            std::ifstream in(log);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::smatch m;
            if (text.find("storage:") != std::string::npos && std::regex_search(text, m, address)) return std::stoi(m[1]);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    void Stop(int signal) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    const Settings& s_;
    const std::string db_;
    pid_t pid_ = -1;
};

struct Post {
    std::string ticket;
    int status = 0;           // 0: no answer (refused connection, reset)
    double ms = 0;
    Clock::time_point answered;
};

// Runs the posters until `posts` are made or the time is up; `during` runs beside them (the fault).
std::vector<Post> Load(const Settings& s, int port, const std::string& body, const std::string& phase,
                       const std::function<void(std::atomic<int>& made)>& during, double& wallSeconds) {
    std::vector<Post> posts(s.posts);
    std::atomic<int> next{0}, made{0};
    const auto start = Clock::now(), deadline = start + std::chrono::seconds(s.seconds);
    std::vector<std::thread> posters;
    for (int p = 0; p < s.posters; ++p)
        posters.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
            client.set_connection_timeout(5, 0);
            client.set_read_timeout(30, 0);
            for (int i; (i = next++) < s.posts && Clock::now() < deadline;) {
                Post& post = posts[i];
                post.ticket = phase + "-" + std::to_string(i);
                const auto sent = Clock::now();
                auto answer = client.Post(("/report?ticket=" + post.ticket).c_str(), body, "application/x-www-form-urlencoded");
                post.answered = Clock::now();
                post.ms = std::chrono::duration<double, std::milli>(post.answered - sent).count();
                post.status = answer ? answer->status : 0;
                ++made;
                if (!answer) std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the receiver is down
            }
        });
    std::thread fault([&] { during(made); });
    for (auto& t : posters) t.join();
    fault.join();
    wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    posts.resize(std::min<int>(next, s.posts));
    posts.erase(std::remove_if(posts.begin(), posts.end(), [](const Post& p) { return p.ticket.empty(); }), posts.end());
    return posts;
}

std::set<std::string> StoredTickets(const std::string& db) {
    omni::desk::SqliteStorage storage(db);
    std::set<std::string> tickets;
    omni::desk::ReportFilter all;
    all.limit = 10000;
    for (all.offset = 0;; all.offset += all.limit) {
        const auto rows = storage.List(all);
        for (const auto& row : rows) tickets.insert(row.ticket);
        if (rows.size() < static_cast<size_t>(all.limit)) break;
    }
    return tickets;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
}

// Checks that every post answered 200 is stored; prints the phase's figures. Answers the 200s per second.
double Report(const char* name, const std::vector<Post>& posts, const std::set<std::string>& stored, double seconds,
              bool& ok) {
    std::vector<double> latencies;
    int answered = 0, missing = 0, refused = 0, failed = 0;
    for (const Post& post : posts) {
        if (post.status == 200) {
            ++answered;
            latencies.push_back(post.ms);
            if (!stored.count(post.ticket)) ++missing;
        } else if (post.status == 0) {
            ++failed;
        } else {
            ++refused;
        }
    }
    const double rate = answered / seconds;
    std::printf("%s: %zu posts in %.1f s: %d answered 200, %d other answers, %d without answer\n", name, posts.size(),
                seconds, answered, refused, failed);
    std::printf("%s: %zu reports in the database; answered 200 but missing: %d\n", name, stored.size(), missing);
    std::printf("%s: %.0f reports/s, latency p50 %.1f ms, p99 %.1f ms\n", name, rate, Percentile(latencies, 0.5),
                Percentile(latencies, 0.99));
    if (missing != 0 || answered == 0) ok = false;
    return rate;
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i], value = argv[i + 1];
        if (flag == "--desk") s.desk = value;
        else if (flag == "--report") s.report = value;
        else if (flag == "--folder") s.folder = value;
        else if (flag == "--posters") s.posters = std::clamp(std::stoi(value), 1, 256);
        else if (flag == "--posts") s.posts = std::clamp(std::stoi(value), 1, 100000);
        else if (flag == "--seconds") s.seconds = std::clamp(std::stoi(value), 1, 600);
    }
    if (s.desk.empty() || s.report.empty() || s.folder.empty()) {
        std::fprintf(stderr, "usage: desk_load_bench --desk <omniprobe-desk> --report <xml> --folder <scratch>"
                             " [--posters N] [--posts N] [--seconds N]\n");
        return 2;
    }
    std::ifstream in(s.report, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string body = omni::BuildPostBody(xml, "", "eng");
    std::printf("%d posters, at most %d posts and %d s per phase, a report of %zu bytes (%zu posted)\n", s.posters,
                s.posts, s.seconds, xml.size(), body.size());
    bool ok = true;

    // 1. Load.
    const std::string loadDb = s.folder + "/load.sqlite";
    double loadRate = 0;
    {
        Receiver receiver(s, loadDb);
        const int port = receiver.Start(0);
        if (port <= 0) return std::fprintf(stderr, "the receiver did not start\n"), 1;
        double seconds = 0;
        const auto posts = Load(s, port, body, "load", [](std::atomic<int>&) {}, seconds);
        receiver.Stop(SIGTERM);
        loadRate = Report("load", posts, StoredTickets(loadDb), seconds, ok);
    }

    // 2. Faults: SIGKILL after a third of the posts, a restart 0.2 s later on the same file and port.
    {
        const std::string db = s.folder + "/fault.sqlite";
        Receiver receiver(s, db);
        const int port = receiver.Start(0);
        if (port <= 0) return std::fprintf(stderr, "the receiver did not start\n"), 1;
        Clock::time_point killedAt;
        bool restarted = false;
        double seconds = 0;
        const auto posts = Load(s, port, body, "fault", [&](std::atomic<int>& made) {
            const auto deadline = Clock::now() + std::chrono::seconds(s.seconds);
            while (made < s.posts / 3 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            killedAt = Clock::now();
            receiver.Stop(SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            restarted = receiver.Start(port) == port;
        }, seconds);
        receiver.Stop(SIGTERM);
        const std::set<std::string> stored = StoredTickets(db);
        int beforeKill = 0, lost = 0;
        for (const Post& post : posts)
            if (post.status == 200 && post.answered < killedAt && ++beforeKill && !stored.count(post.ticket)) ++lost;
        Report("fault", posts, stored, seconds, ok);
        std::printf("fault: killed with SIGKILL after %d answered posts, restarted: %s; answered 200 before the kill"
                    " and missing after it: %d\n", beforeKill, restarted ? "yes" : "NO", lost);
        if (!restarted || lost != 0) ok = false;
    }

    // 3. SQLite's own rate for the same rows: the report read once, then one transaction per report, as the
    // receiver commits them, from one thread.
    {
        const std::string db = s.folder + "/raw.sqlite";
        omni::desk::SqliteStorage storage(db);
        omni::desk::NewReport row;
        row.sender = "127.0.0.1";
        row.lang = "eng";
        row.xml = xml;
        row.items = omni::desk::ReadReportXml(xml).items;
        const int count = s.posts;
        const auto start = Clock::now(), deadline = start + std::chrono::seconds(s.seconds);
        int inserted = 0;
        for (; inserted < count && Clock::now() < deadline; ++inserted) {
            row.ticket = "raw-" + std::to_string(inserted);
            row.receivedMs = omni::desk::NowMs();
            storage.Add(row);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double rawRate = inserted / seconds;
        std::printf("sqlite: %d reports inserted straight in %.1f s: %.0f reports/s\n", inserted, seconds, rawRate);
        std::printf("ratio of the receiver's ingest rate to SQLite's raw insert rate: %.2f\n", loadRate / rawRate);
    }
    std::printf("%s\n", ok ? "every post answered 200 is in the database" : "FAILED: a post answered 200 is missing");
    return ok ? 0 : 1;
}
