// The receiver under load and under faults, on 127.0.0.1 only, every loop bounded in count and time:
//  1. concurrent posters send reports; every post answered 200 must be in the database, and the counts match;
//  2. the same while the receiver is killed with SIGKILL and started again on the same file: every post
//     answered 200 (before the kill and after) must still be there;
//  3. the same rows inserted straight into SQLite by the storage class, for the ratio of the receiver's
//     ingest rate to SQLite's own.
// Prints reports per second, the 50th and 99th percentile latency, and that ratio. A benchmark, not a test.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "control/post_body.h"
#include "report_xml.h"
#include "sqlite_storage.h"
#include "time_text.h"

namespace {

using namespace omni::desk::bench;

struct Settings : LoadSettings {
    std::string desk, report, folder;
};

// The service on a SQLite file, started again on the same port and file after a kill.
class Receiver {
public:
    Receiver(const Settings& s, std::string db) : s_(s), db_(std::move(db)) {}
    int Start(int port) {
        if (!child_.Start({s_.desk, "--port", std::to_string(port), "--db", db_, "--rate", "0", "--quota-bytes", "0",
                           "--connections-per-address", "64"},
                          {"OMNI_DESK_PASSWORD=load benchmark"}, s_.folder + "/receiver.log"))
            return -1;
        return child_.ReceiverPort();
    }
    void Stop(int signal) { child_.Stop(signal); }

private:
    const Settings& s_;
    const std::string db_;
    Child child_;
};

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);  // a post cut off by a killed receiver is counted, not fatal
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
        const Figures figures = Report("load", posts, StoredTickets(loadDb, "load"), seconds);
        loadRate = figures.rate;
        if (figures.missing != 0 || figures.answered == 0) ok = false;
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
        const std::set<std::string> stored = StoredTickets(db, "fault");
        int beforeKill = 0, lost = 0;
        for (const Post& post : posts)
            if (post.status == 200 && post.answered < killedAt && ++beforeKill && !stored.count(post.ticket)) ++lost;
        const Figures figures = Report("fault", posts, stored, seconds);
        if (figures.missing != 0 || figures.answered == 0) ok = false;
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
            storage.Add(row, 0);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double rawRate = inserted / seconds;
        std::printf("sqlite: %d reports inserted straight in %.1f s: %.0f reports/s\n", inserted, seconds, rawRate);
        std::printf("ratio of the receiver's ingest rate to SQLite's raw insert rate: %.2f\n", loadRate / rawRate);
    }
    std::printf("%s\n", ok ? "every post answered 200 is in the database" : "FAILED: a post answered 200 is missing");
    return ok ? 0 : 1;
}
