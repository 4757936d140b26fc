#include "bench_support.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <thread>

#include <httplib.h>

#include "report_pages.h"
#include "storage.h"

namespace omni::desk::bench {

bool Child::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const std::string& log) {
    log_ = log;
    // The child goes with the benchmark, however that ends.
    pid_ = harness::StartLogged(argv, environment, log, false);
    return pid_ > 0;
}

int Child::ReceiverPort() const {
    const std::regex address("dashboard at http://127\\.0\\.0\\.1:([0-9]+)/");
    for (int tries = 0; tries < 3000 && pid_ > 0; ++tries) {
        std::ifstream in(log_);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::smatch m;
        if (text.find("storage:") != std::string::npos && std::regex_search(text, m, address)) return std::stoi(m[1]);
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

void Child::Stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

bool WaitForPort(int port) {
    for (int tries = 0; tries < 600; ++tries) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool open = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        if (open) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::vector<Post> Load(const LoadSettings& s, int port, const std::string& body, const std::string& phase,
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
    // A receiver that `during` starts again dies with the thread that forked it (the parent-death signal
    // follows the thread, not the process), so that thread lives until the posters are done.
    std::atomic<bool> postersDone{false};
    std::thread fault([&] {
        during(made);
        while (!postersDone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    for (auto& t : posters) t.join();
    postersDone = true;
    fault.join();
    wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    posts.resize(std::min<int>(next, s.posts));
    posts.erase(std::remove_if(posts.begin(), posts.end(), [](const Post& p) { return p.ticket.empty(); }), posts.end());
    return posts;
}

std::set<std::string> StoredTickets(const std::string& database, const std::string& phase) {
    std::set<std::string> tickets;
    auto storage = OpenStorage(database);
    ReportFilter all;
    all.limit = 1 << 30;
    ReportPages pages(*storage, all, 5000);
    for (std::vector<ReportRow> page; !(page = pages.Next()).empty();)
        for (const ReportRow& row : page)
            if (row.ticket.rfind(phase + "-", 0) == 0) tickets.insert(row.ticket);
    return tickets;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
}

Figures Report(const char* name, const std::vector<Post>& posts, const std::set<std::string>& stored, double seconds) {
    Figures f;
    std::vector<double> latencies;
    std::map<int, int> others;
    for (const Post& post : posts) {
        if (post.status == 200) {
            ++f.answered;
            latencies.push_back(post.ms);
            if (!stored.count(post.ticket)) ++f.missing;
        } else if (post.status == 0) {
            ++f.failed;
        } else {
            ++f.refused;
            ++others[post.status];
        }
    }
    std::string which;
    for (const auto& [status, count] : others)
        which += (which.empty() ? " (" : ", ") + std::to_string(count) + " of " + std::to_string(status);
    if (!which.empty()) which += ")";
    f.rate = f.answered / seconds;
    f.p50 = Percentile(latencies, 0.5);
    f.p99 = Percentile(latencies, 0.99);
    std::printf("%s: %zu posts in %.1f s: %d answered 200, %d other answers%s, %d without answer\n", name, posts.size(),
                seconds, f.answered, f.refused, which.c_str(), f.failed);
    std::printf("%s: %zu reports in the database; answered 200 but missing: %d\n", name, stored.size(), f.missing);
    std::printf("%s: %.0f reports/s, latency p50 %.1f ms, p99 %.1f ms\n", name, f.rate, f.p50, f.p99);
    std::fflush(stdout);
    return f;
}

}  // namespace omni::desk::bench
