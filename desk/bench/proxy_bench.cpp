// The desk as it runs: receivers on PostgreSQL behind the shipped nginx site, on loopback only, every loop
// bounded in count and time. In one run:
//  1. 16 posters straight to one receiver, for the proxy's cost;
//  2. the same through the proxy, with one receiver and with two;
//  3. the same while 200 slow connections (a header byte a second, from 20 addresses) are open;
//  4. a 300 MB header request, through the proxy and straight to a receiver: its answer and the
//     receiver's peak memory;
//  5. one of two receivers killed with SIGKILL under load: every post answered 200 must be stored.
// The posters' address is exempt from the proxy's per-address rates, which would otherwise hold them to a
// post a second. A benchmark, not a test.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "bench_support.h"
#include "control/post_body.h"

namespace {

using namespace omni::desk::bench;

struct Settings : LoadSettings {
    std::string desk, proxyScript, report, folder, database;
};

std::vector<std::string> Environment() {
    const char* path = std::getenv("PATH");
    return {"OMNI_DESK_PASSWORD=proxy benchmark", std::string("PATH=") + (path ? path : "/usr/bin:/bin")};
}

std::unique_ptr<Child> StartReceiver(const Settings& s, const std::string& name) {
    auto child = std::make_unique<Child>();
    child->Start({s.desk, "--port", "0", "--db", s.database, "--trusted-proxy", "127.0.0.1", "--rate", "0",
                  "--quota-bytes", "0"},
                 Environment(), s.folder + "/" + name + ".log");
    return child;
}

// The proxy before the receivers at these ports; its port, or -1.
int StartProxy(const Settings& s, Child& proxy, const std::string& name, const std::vector<int>& receivers) {
    const int port = FreePort();
    std::vector<std::string> argv = {"sh", s.proxyScript, "--exempt", "127.0.0.1", s.folder + "/" + name,
                                     "127.0.0.1:" + std::to_string(port)};
    for (int r : receivers) argv.push_back("127.0.0.1:" + std::to_string(r));
    if (!proxy.Start(argv, Environment(), s.folder + "/" + name + ".log") || !WaitForPort(port)) return -1;
    return port;
}

int Connect(const std::string& from, int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{}, remote{};
    local.sin_family = remote.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    remote.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(s, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

// Keeps `count` connections open, each sending its head a byte a second; one the proxy closes is opened
// again, as an attacker would.
class SlowConnections {
public:
    SlowConnections(int port, int count) : port_(port), sockets_(count, -1) {
        thread_ = std::thread([this] { Run(); });
    }
    ~SlowConnections() {
        stop_ = true;
        thread_.join();
        for (int s : sockets_)
            if (s >= 0) ::close(s);
    }
    int opened() const { return opened_; }

private:
    void Run() {
        while (!stop_) {
            for (size_t i = 0; i < sockets_.size(); ++i) {
                int& s = sockets_[i];
                char probe;
                if (s >= 0 && ::recv(s, &probe, 1, MSG_DONTWAIT | MSG_PEEK) >= 0) {  // answered or closed
                    ::close(s);
                    s = -1;
                }
                if (s < 0) {
                    s = Connect("127.0.2." + std::to_string(1 + i / 10), port_);
                    if (s >= 0 && ::send(s, "GET / HTTP/1.1\r\n", 16, MSG_NOSIGNAL) > 0) ++opened_;
                } else {
                    ::send(s, "X", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
                }
            }
            for (int i = 0; i < 10 && !stop_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    const int port_;
    std::vector<int> sockets_;
    std::atomic<bool> stop_{false};
    std::atomic<int> opened_{0};
    std::thread thread_;
};

long PeakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// 300 MB of 96-byte header lines, sent while the answer is awaited: the answer's status line, or nothing.
std::string HeaderFlood(int port) {
    const int s = Connect("127.0.0.9", port);
    if (s < 0) return "(no connection)";
    std::thread sender([s] {
        std::string block = "GET /api/summary HTTP/1.1\r\nHost: x\r\n";
        std::string lines;
        for (int i = 0; i < 10922; ++i) lines += "X-Flood-Header: " + std::string(78, 'a') + "\r\n";  // 1 MB
        if (::send(s, block.data(), block.size(), MSG_NOSIGNAL) < 0) return;
        for (int mb = 0; mb < 300; ++mb)
            if (::send(s, lines.data(), lines.size(), MSG_NOSIGNAL) < 0) return;
    });
    std::string answer;
    char buffer[4096];
    timeval wait{60, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    for (ssize_t n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(n));
    ::shutdown(s, SHUT_RDWR);
    sender.join();
    ::close(s);
    return answer.empty() ? "(no answer)" : answer.substr(0, answer.find("\r\n"));
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);  // a post cut off by a killed receiver is counted, not fatal
    Settings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i], value = argv[i + 1];
        if (flag == "--desk") s.desk = value;
        else if (flag == "--proxy") s.proxyScript = value;
        else if (flag == "--report") s.report = value;
        else if (flag == "--folder") s.folder = value;
        else if (flag == "--db") s.database = value;
        else if (flag == "--posters") s.posters = std::clamp(std::stoi(value), 1, 256);
        else if (flag == "--posts") s.posts = std::clamp(std::stoi(value), 1, 100000);
        else if (flag == "--seconds") s.seconds = std::clamp(std::stoi(value), 1, 600);
    }
    if (s.desk.empty() || s.proxyScript.empty() || s.report.empty() || s.folder.empty() || s.database.empty()) {
        std::fprintf(stderr, "usage: desk_proxy_bench --desk <omniprobe-desk> --proxy <local-proxy.sh> --report <xml>"
                             " --folder <scratch> --db <postgresql://...> [--posters N] [--posts N] [--seconds N]\n");
        return 2;
    }
    std::ifstream in(s.report, std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string body = omni::BuildPostBody(xml, "", "eng");
    std::printf("%d posters, at most %d posts and %d s per phase, a report of %zu bytes (%zu posted), PostgreSQL\n",
                s.posters, s.posts, s.seconds, xml.size(), body.size());
    bool ok = true;
    auto nothing = [](std::atomic<int>&) {};
    auto phase = [&](const char* name, int port, const std::function<void(std::atomic<int>&)>& during) {
        double seconds = 0;
        const auto posts = Load(s, port, body, name, during, seconds);
        const Figures figures = Report(name, posts, StoredTickets(s.database, name), seconds);
        if (figures.missing != 0 || figures.answered == 0) ok = false;
        return figures;
    };

    auto first = StartReceiver(s, "receiver1"), second = StartReceiver(s, "receiver2");
    const int port1 = first->ReceiverPort(), port2 = second->ReceiverPort();
    if (port1 <= 0 || port2 <= 0) return std::fprintf(stderr, "a receiver did not start\n"), 1;
    const Figures direct = phase("direct", port1, nothing);

    Child proxy1;
    const int proxied1 = StartProxy(s, proxy1, "proxy-one", {port1});
    if (proxied1 <= 0) return std::fprintf(stderr, "the proxy did not start\n"), 1;
    const Figures one = phase("proxy-1", proxied1, nothing);
    proxy1.Stop(SIGTERM);
    std::printf("ratio of the proxied rate to the direct rate (1 receiver): %.2f\n", one.rate / direct.rate);

    Child proxy2;
    const int proxied2 = StartProxy(s, proxy2, "proxy-two", {port1, port2});
    if (proxied2 <= 0) return std::fprintf(stderr, "the proxy did not start\n"), 1;
    phase("proxy-2", proxied2, nothing);
    {
        SlowConnections slow(proxied2, 200);
        while (slow.opened() < 200) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const Figures under = phase("slow-200", proxied2, nothing);
        std::printf("slow-200: %d slow connections opened in all (the proxy closes a head that takes over 10 s)\n",
                    slow.opened());
        const bool within = under.p99 < 100 && under.failed == 0 && under.refused == 0;
        std::printf("slow-200: p99 under 100 ms with no failed post: %s\n", within ? "yes" : "NO");
        if (!within) ok = false;
    }

    const long before1 = PeakKb(first->pid()), before2 = PeakKb(second->pid());
    std::printf("flood: through the proxy: %s; the receivers' peak memory %ld kB and %ld kB before, %ld kB and %ld kB"
                " after\n", HeaderFlood(proxied2).c_str(), before1, before2, PeakKb(first->pid()),
                PeakKb(second->pid()));
    auto fresh = StartReceiver(s, "receiver3");
    const int port3 = fresh->ReceiverPort();
    const long freshBefore = PeakKb(fresh->pid());
    const std::string answer = HeaderFlood(port3);
    std::printf("flood: straight to a receiver: %s; its peak memory %ld kB before, %ld kB after\n", answer.c_str(),
                freshBefore, PeakKb(fresh->pid()));
    fresh->Stop(SIGTERM);

    // One receiver killed after a third of the posts; the proxy passes the rest to the other.
    Clock::time_point killedAt;
    const Figures killed = phase("kill", proxied2, [&](std::atomic<int>& made) {
        const auto deadline = Clock::now() + std::chrono::seconds(s.seconds);
        while (made < s.posts / 3 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        killedAt = Clock::now();
        second->Stop(SIGKILL);
    });
    std::printf("kill: one of two receivers killed with SIGKILL after a third of the posts; answered 200 and missing: %d\n",
                killed.missing);
    std::printf("%s\n", ok ? "every post answered 200 is in the database" : "FAILED: see above");
    return ok ? 0 : 1;
}
