// The dashboard's pages against a million stored reports (a benchmark, not a test; 127.0.0.1 only):
//  1. fills the database straight with SQL, in one transaction: the demo PC's report (its XML as the
//     control sent it, and its 22 items with their keys) a million times over a year up to now, each item
//     red or not by a fixed rule, two reports a ticket, and the daily sums as a migration makes them;
//  2. starts the service on it, logs in, and asks each of the dashboard's pages 11 times over one session,
//     printing the first answer's time and the median and largest of the other ten.
// A database that already holds the reports is asked as it is.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <pqxx/connection>
#include <pqxx/nontransaction>
#include <pqxx/result>
#include <pqxx/transaction>
#include <sqlite3.h>

#include "bench_support.h"
#include "report_xml.h"
#include "storage.h"
#include "time_text.h"

namespace {

using namespace omni::desk;
using namespace omni::desk::bench;

constexpr int64_t kYear = 365 * kDayMs;

// Red per thousand reports: an item red in the demo PC's report is red on half of them, another on 3 in 100.
int RedRate(const StoredItem& item) { return item.red ? 500 : 30; }

// What one generated report is: its time (evenly over the year up to `now`), sender, ticket (two reports a
// ticket), language; each item red when its rule says so. The same text for both databases.
#define OMNI_TIME(i) "?2 + ((" i ") - 1) * ?3 / ?1"
#define OMNI_RED(i) "((" i ") * 2654435761 + t.position * 40503) % 1000 < t.rate"

struct Template {
    std::vector<StoredItem> items;
    std::string xml;
};

void Check(int done, sqlite3* db, const char* what) {
    if (done != SQLITE_OK && done != SQLITE_DONE && done != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

void FillSqlite(const std::string& path, const Template& t, int64_t reports, int64_t now) {
    OpenStorage(path);  // the service's own schema
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    auto exec = [db](const char* sql) { Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); };
    // Loading only: no log of a transaction that is written once (the service's WAL is set again after it).
    exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -400000; BEGIN");
    exec("CREATE TEMP TABLE template (position INTEGER, group_class TEXT, subject TEXT, item_key TEXT, state TEXT,"
         " result TEXT, addition TEXT, solution_type TEXT, method TEXT, param TEXT, solution_label TEXT, rate INTEGER)");
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO template VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &s, nullptr);
    for (const StoredItem& item : t.items) {
        sqlite3_bind_int(s, 1, item.position);
        int n = 2;
        for (const std::string* text : {&item.group, &item.subject, &item.key, &item.state, &item.result, &item.addition,
                                        &item.solutionType, &item.method, &item.param, &item.solutionLabel})
            sqlite3_bind_text(s, n++, text->c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 12, RedRate(item));
        Check(sqlite3_step(s), db, "template");
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    auto run = [&](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        Check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), db, sql);
        if (sqlite3_bind_parameter_count(statement) >= 3) {
            sqlite3_bind_int64(statement, 1, reports);
            sqlite3_bind_int64(statement, 2, now - kYear);
            sqlite3_bind_int64(statement, 3, kYear);
        }
        if (sqlite3_bind_parameter_count(statement) >= 4)
            sqlite3_bind_text(statement, 4, t.xml.data(), static_cast<int>(t.xml.size()), SQLITE_STATIC);
        Check(sqlite3_step(statement), db, sql);
        sqlite3_finalize(statement);
    };
    run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?1)"
        " INSERT INTO reports (id, received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count)"
        " SELECT i, " OMNI_TIME("i") ", '10.' || (i % 200) || '.' || (i % 173) || '.1', 'bench-' || ((i + 1) / 2),"
        " CASE i % 2 WHEN 0 THEN 'eng' ELSE 'kor' END, ?4, '', (SELECT COUNT(*) FROM template),"
        " (SELECT COUNT(*) FROM template t WHERE " OMNI_RED("i") ") FROM n");
    run("INSERT INTO items (report_id, position, group_class, subject, item_key, received_ms, state, colour, red, result,"
        " addition, solution_type, method, param, solution_label)"
        " SELECT r.id, t.position, t.group_class, t.subject, t.item_key, r.received_ms, t.state,"
        " CASE WHEN " OMNI_RED("r.id") " THEN 'FF0000' ELSE '000000' END, " OMNI_RED("r.id") ", t.result, t.addition,"
        " t.solution_type, t.method, t.param, t.solution_label FROM reports r, template t ORDER BY r.id, t.position");
    exec("DELETE FROM report_days; DELETE FROM red_item_days;"
         "INSERT INTO report_days (day, shard, reports, red_reports) SELECT received_ms / 86400000, 0, COUNT(*),"
         " SUM(CASE WHEN red_count > 0 THEN 1 ELSE 0 END) FROM reports GROUP BY received_ms / 86400000;"
         "INSERT INTO red_item_days (day, item_key, shard, reports) SELECT received_ms / 86400000, item_key, 0,"
         " COUNT(*) FROM items WHERE red = 1 GROUP BY received_ms / 86400000, item_key;"
         "COMMIT; ANALYZE; PRAGMA journal_mode = WAL");
    sqlite3_close(db);
}

void FillPostgres(const std::string& address, const Template& t, int64_t reports, int64_t now) {
    OpenStorage(address);
    pqxx::connection connection(address);
    {
        pqxx::work w(connection);
        // Loading only: no foreign-key triggers (the items follow their reports), no waiting for the log.
        w.exec("SET LOCAL session_replication_role = replica; SET LOCAL synchronous_commit = off;"
               " SET LOCAL maintenance_work_mem = '512MB'; SET LOCAL work_mem = '256MB'");
        w.exec("CREATE TEMP TABLE template (position INTEGER, group_class TEXT, subject TEXT, item_key TEXT, state TEXT,"
               " result TEXT, addition TEXT, solution_type TEXT, method TEXT, param TEXT, solution_label TEXT,"
               " rate INTEGER) ON COMMIT DROP");
        for (const StoredItem& item : t.items)
            w.exec_params("INSERT INTO template VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12)", item.position,
                          item.group, item.subject, item.key, item.state, item.result, item.addition, item.solutionType,
                          item.method, item.param, item.solutionLabel, RedRate(item));
        // The same rules as SQLite's, in PostgreSQL's words for the numbers.
        std::string reportsSql =
            "INSERT INTO reports (id, received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count)"
            " SELECT i, " OMNI_TIME("i") ", '10.' || (i % 200) || '.' || (i % 173) || '.1', 'bench-' || ((i + 1) / 2),"
            " CASE i % 2 WHEN 0 THEN 'eng' ELSE 'kor' END, ?4, '', (SELECT COUNT(*) FROM template),"
            " (SELECT COUNT(*) FROM template t WHERE " OMNI_RED("i") ") FROM generate_series(1::bigint, ?1) AS i";
        const std::string itemsSql =
            "INSERT INTO items (report_id, position, group_class, subject, item_key, received_ms, state, colour, red,"
            " result, addition, solution_type, method, param, solution_label)"
            " SELECT r.id, t.position, t.group_class, t.subject, t.item_key, r.received_ms, t.state,"
            " CASE WHEN " OMNI_RED("r.id") " THEN 'FF0000' ELSE '000000' END,"
            " CASE WHEN " OMNI_RED("r.id") " THEN 1 ELSE 0 END, t.result, t.addition, t.solution_type, t.method,"
            " t.param, t.solution_label FROM reports r, template t";
        for (const auto& [from, to] : {std::pair{"?1", "$1::bigint"}, std::pair{"?2", "$2::bigint"},
                                       std::pair{"?3", "$3::bigint"}, std::pair{"?4", "$4"}})
            for (size_t at; (at = reportsSql.find(from)) != std::string::npos;) reportsSql.replace(at, 2, to);
        w.exec_params(reportsSql, reports, now - kYear, kYear, t.xml);
        w.exec(itemsSql);
        w.exec("SELECT setval('reports_id_seq', (SELECT MAX(id) FROM reports))");
        w.exec("DELETE FROM report_days; DELETE FROM red_item_days;"
               "INSERT INTO report_days (day, shard, reports, red_reports) SELECT received_ms / 86400000, 0, COUNT(*),"
               " SUM(CASE WHEN red_count > 0 THEN 1 ELSE 0 END) FROM reports GROUP BY received_ms / 86400000;"
               "INSERT INTO red_item_days (day, item_key, shard, reports) SELECT received_ms / 86400000, item_key, 0,"
               " COUNT(*) FROM items WHERE red = 1 GROUP BY received_ms / 86400000, item_key");
        w.commit();
    }
    pqxx::nontransaction vacuum(connection);
    vacuum.exec("VACUUM ANALYZE reports");
    vacuum.exec("VACUUM ANALYZE items");
}

struct Timing {
    std::string name;
    double first = 0, median = 0, most = 0;
    int status = 0;
    size_t bytes = 0;
};

Timing Ask(httplib::Client& client, const httplib::Headers& session, const std::string& name, const std::string& path) {
    Timing timing{name};
    std::vector<double> ms;
    for (int i = 0; i < 11; ++i) {
        const auto started = Clock::now();
        auto answer = client.Get(path.c_str(), session);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        timing.status = answer ? answer->status : 0;
        timing.bytes = answer ? answer->body.size() : 0;
    }
    timing.first = ms[0];
    ms.erase(ms.begin());
    std::sort(ms.begin(), ms.end());
    timing.median = (ms[4] + ms[5]) / 2;
    timing.most = ms.back();
    return timing;
}

std::string Encoded(const std::string& text) { return httplib::detail::encode_query_param(text); }

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    std::string desk, report, folder, db;
    int64_t reports = 1000000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i], value = argv[i + 1];
        if (flag == "--desk") desk = value;
        else if (flag == "--report") report = value;
        else if (flag == "--folder") folder = value;
        else if (flag == "--db") db = value;
        else if (flag == "--reports") reports = std::clamp<int64_t>(std::stoll(value), 1000, 10000000);
    }
    if (desk.empty() || report.empty() || folder.empty() || db.empty()) {
        std::fprintf(stderr, "usage: desk_view_bench --desk <omniprobe-desk> --report <xml> --folder <scratch>"
                             " --db <file or postgresql://...> [--reports N]\n");
        return 2;
    }
    std::ifstream in(report, std::ios::binary);
    Template t{{}, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
    t.items = ReadReportXml(t.xml).items;
    const bool postgres = db.rfind("postgres", 0) == 0;
    const int64_t now = NowMs();
    try {
        const int64_t stored = OpenStorage(db)->Count();
        if (stored < reports) {
            const auto started = Clock::now();
            if (stored > 0) throw std::runtime_error("the database holds some reports already; start from an empty one");
            if (postgres) FillPostgres(db, t, reports, now);
            else FillSqlite(db, t, reports, now);
            std::printf("filled: %lld reports of %zu items (XML of %zu bytes) in %.0f s\n", static_cast<long long>(reports),
                        t.items.size(), t.xml.size(), std::chrono::duration<double>(Clock::now() - started).count());
        }
        std::printf("%s: %lld reports\n", postgres ? "PostgreSQL" : "SQLite", static_cast<long long>(OpenStorage(db)->Count()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot fill the database: %s\n", e.what());
        return 1;
    }
    std::fflush(stdout);

    Child service;
    if (!service.Start({desk, "--port", "0", "--db", db}, {"OMNI_DESK_PASSWORD=view benchmark 1"}, folder + "/desk.log"))
        return 1;
    const int port = service.ReceiverPort();
    if (port < 0) return std::fprintf(stderr, "the service did not start (%s/desk.log)\n", folder.c_str()), 1;
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_read_timeout(120, 0);
    auto login = client.Post("/login", "user=desk&password=view+benchmark+1", "application/x-www-form-urlencoded");
    if (!login || login->status != 303) return std::fprintf(stderr, "cannot log in\n"), 1;
    const std::string cookie = login->get_header_value("Set-Cookie");
    const httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))}};

    // The dashboard's period: the last 30 days, as it starts.
    const std::string today = IsoTime(now).substr(0, 10), monthAgo = IsoTime(now - 29 * kDayMs).substr(0, 10);
    const std::string period = "from=" + monthAgo + "&to=" + today;
    const std::string middle = IsoTime(now - kYear / 2);
    const std::string red = Encoded("etcchecklist/software-rendering");
    const std::string ticket = "bench-" + std::to_string(reports / 4);
    // A report half way down the list, for a page that starts there.
    auto half = client.Get(("/api/reports?limit=1&to=" + middle).c_str(), session);
    const nlohmann::json halfRow = nlohmann::json::parse(half->body).at(0);
    const std::string cursor = Encoded(halfRow["received"].get<std::string>() + "," + std::to_string(halfRow["id"].get<int64_t>()));

    const std::vector<std::pair<std::string, std::string>> pages = {
        {"list, first page", "/api/reports?limit=100"},
        {"list, page half way down", "/api/reports?limit=100&after=" + cursor},
        {"list, last 30 days", "/api/reports?limit=100&" + period},
        {"list, red item", "/api/reports?limit=100&red=" + red},
        {"list, red item, last 30 days", "/api/reports?limit=100&red=" + red + "&" + period},
        {"list, ticket", "/api/reports?limit=100&ticket=" + ticket},
        {"summary, all time", "/api/summary"},
        {"summary, last 30 days", "/api/summary?" + period},
        {"summary, from 09:30 a month ago to 12:00 a week ago", "/api/summary?from=" + monthAgo + "T09:30:00Z&to=" +
                                                                     IsoTime(now - 7 * kDayMs).substr(0, 10) + "T12:00:00Z"},
        {"days, last 30 days", "/api/days?" + period},
        {"red items by ticket, last 30 days", "/api/red-tickets?limit=100&" + period},
        {"red items by ticket, one item", "/api/red-tickets?limit=100&red=" + red + "&" + period},
        {"ticket's history", "/api/tickets/" + ticket},
        {"one report", "/api/reports/" + std::to_string(reports / 2)},
    };
    std::printf("%-52s %7s %9s %9s %9s %8s\n", "page", "status", "first ms", "median", "largest", "bytes");
    bool allFast = true;
    for (const auto& [name, path] : pages) {
        const Timing timing = Ask(client, session, name, path);
        std::printf("%-52s %7d %9.1f %9.1f %9.1f %8zu\n", name.c_str(), timing.status, timing.first, timing.median,
                    timing.most, timing.bytes);
        allFast = allFast && timing.status == 200 && timing.most < 100;
    }
    auto listed = client.Get("/api/reports?limit=1", session);
    std::printf("the list's total: %s\n", listed->get_header_value("X-Total-Count").c_str());
    std::printf("every page answered 200 in under 100 ms: %s\n", allFast ? "yes" : "no");
    return 0;
}
