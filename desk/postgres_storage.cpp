#include "postgres_storage.h"

#include <algorithm>

#include <pqxx/except>
#include <pqxx/prepared_statement>
#include <pqxx/result>

#include "report_xml.h"

namespace omni::desk {

namespace {

// Advisory lock keys: one service at a time migrates the schema, and one deletes old reports.
constexpr int kMigrationLock = 4242;
constexpr int kRetentionLock = 4243;
constexpr int kItemsAtOnce = 16;
constexpr int kItemColumns = 13;  // the report's number, then twelve of the item's own

// One script per schema version; a database is brought from its version to the latest in one transaction.
const char* const kMigrations[] = {
    // 1: the reports and their items (a database from before versions had these already).
    R"(
CREATE TABLE IF NOT EXISTS reports (
    id BIGSERIAL PRIMARY KEY,
    received_ms BIGINT NOT NULL,
    sender TEXT NOT NULL,
    ticket TEXT NOT NULL,
    lang TEXT NOT NULL,
    xml TEXT NOT NULL,
    ie_addons TEXT NOT NULL,
    item_count INTEGER NOT NULL,
    red_count INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS reports_received ON reports (received_ms);
CREATE INDEX IF NOT EXISTS reports_ticket ON reports (ticket);
CREATE TABLE IF NOT EXISTS items (
    report_id BIGINT NOT NULL REFERENCES reports (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    group_class TEXT NOT NULL,
    subject TEXT NOT NULL,
    colour TEXT NOT NULL,
    red INTEGER NOT NULL,
    result TEXT NOT NULL,
    method TEXT NOT NULL,
    param TEXT NOT NULL,
    PRIMARY KEY (report_id, position));
CREATE INDEX IF NOT EXISTS items_red_subject ON items (red, subject);
)",
    // 2: what several services share (sessions, rate buckets, daily bytes per sender), and the items'
    // remaining texts, so the dashboard shows what the service read and never reads the XML again.
    R"(
CREATE TABLE sessions (
    token_hash TEXT PRIMARY KEY,
    account TEXT NOT NULL,
    created_ms BIGINT NOT NULL,
    used_ms BIGINT NOT NULL);
CREATE INDEX sessions_used ON sessions (used_ms);
CREATE TABLE rate_buckets (
    bucket TEXT PRIMARY KEY,
    tokens DOUBLE PRECISION NOT NULL,
    updated_ms BIGINT NOT NULL);
CREATE INDEX rate_buckets_updated ON rate_buckets (updated_ms);
CREATE TABLE sender_days (
    sender TEXT NOT NULL,
    day BIGINT NOT NULL,
    bytes BIGINT NOT NULL,
    PRIMARY KEY (sender, day));
ALTER TABLE items ADD COLUMN state TEXT NOT NULL DEFAULT '', ADD COLUMN addition TEXT NOT NULL DEFAULT '',
    ADD COLUMN solution_type TEXT NOT NULL DEFAULT '', ADD COLUMN solution_label TEXT NOT NULL DEFAULT '';
)",
};
static_assert(sizeof kMigrations / sizeof *kMigrations == kSchemaVersion);

// Absent filters are bound as NULL, so one prepared statement serves every combination.
const char kList[] =
    "SELECT id, received_ms, sender, ticket, lang, item_count, red_count FROM reports r"
    " WHERE ($1::text IS NULL OR ticket = $1) AND ($2::bigint IS NULL OR received_ms >= $2)"
    " AND ($3::bigint IS NULL OR received_ms < $3) AND ($4::text IS NULL OR EXISTS"
    " (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1 AND i.subject = $4))"
    " AND ($7::bigint IS NULL OR received_ms < $7 OR (received_ms = $7 AND id < $8::bigint))"
    " ORDER BY received_ms DESC, id DESC LIMIT $5 OFFSET $6";
const char kSummary[] =
    "SELECT i.subject, COUNT(DISTINCT i.report_id) AS n FROM items i JOIN reports r ON r.id = i.report_id"
    " WHERE i.red = 1 AND ($1::bigint IS NULL OR r.received_ms >= $1) AND ($2::bigint IS NULL OR r.received_ms < $2)"
    " GROUP BY i.subject ORDER BY n DESC, i.subject";
// The bucket refilled up to now; a clock that went back (another machine's) refills nothing.
#define OMNI_REFILLED "LEAST($2::double precision, b.tokens + GREATEST(0, $3::bigint - b.updated_ms) * $2 / 60000.0)"
const char kTakeToken[] =
    "INSERT INTO rate_buckets AS b (bucket, tokens, updated_ms) VALUES ($1, $2::double precision - 1, $3::bigint)"
    " ON CONFLICT (bucket) DO UPDATE SET tokens = " OMNI_REFILLED " - 1, updated_ms = GREATEST(b.updated_ms, $3::bigint)"
    " WHERE " OMNI_REFILLED " >= 1 RETURNING b.tokens";
const char kHasToken[] = "SELECT " OMNI_REFILLED " FROM rate_buckets b WHERE bucket = $1";
#undef OMNI_REFILLED

const char* OrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

std::optional<std::string> Number(const std::optional<int64_t>& number) {
    return number ? std::optional<std::string>(std::to_string(*number)) : std::nullopt;
}

std::string Text(const pqxx::field& field) { return std::string(field.c_str(), field.size()); }

ReportRow RowOf(const pqxx::row& r) {
    return ReportRow{r[0].as<int64_t>(), r[1].as<int64_t>(), Text(r[2]), Text(r[3]), Text(r[4]), r[5].as<int>(),
                     r[6].as<int>()};
}

StoredItem ItemOf(const pqxx::row& r) {
    StoredItem item;
    item.position = r[0].as<int>();
    item.group = Text(r[1]);
    item.subject = Text(r[2]);
    item.state = Text(r[3]);
    item.colour = Text(r[4]);
    item.red = r[5].as<int>() != 0;
    item.result = Text(r[6]);
    item.addition = Text(r[7]);
    item.solutionType = Text(r[8]);
    item.method = Text(r[9]);
    item.param = Text(r[10]);
    item.solutionLabel = Text(r[11]);
    return item;
}

int VersionIn(pqxx::work& w) {
    w.exec("CREATE TABLE IF NOT EXISTS desk_schema (version INTEGER NOT NULL)");
    const pqxx::result found = w.exec("SELECT MAX(version) FROM desk_schema");
    return found[0][0].is_null() ? 0 : found[0][0].as<int>();
}

// Items stored before they kept every text get them from their report's XML, read as at arrival.
void FillItemDetails(pqxx::work& w) {
    int64_t last = 0;
    for (;;) {
        const pqxx::result reports = w.exec_params("SELECT id, xml FROM reports WHERE id > $1 ORDER BY id LIMIT 500", last);
        if (reports.empty()) return;
        for (const pqxx::row& report : reports) {
            last = report[0].as<int64_t>();
            for (const StoredItem& item : ReadReportXml(Text(report[1])).items)
                w.exec_params("UPDATE items SET state = $3, addition = $4, solution_type = $5, solution_label = $6"
                              " WHERE report_id = $1 AND position = $2",
                              last, item.position, item.state, item.addition, item.solutionType, item.solutionLabel);
        }
    }
}

}  // namespace

PostgresStorage::PostgresStorage(std::string address, int connections) : address_(std::move(address)) {
    auto first = std::make_unique<pqxx::connection>(address_);
    {
        pqxx::work migration(*first);
        migration.exec("SELECT pg_advisory_xact_lock(" + std::to_string(kMigrationLock) + ")");
        const int found = VersionIn(migration);
        if (found > kSchemaVersion)
            throw std::runtime_error("the database has schema version " + std::to_string(found) +
                                     ", newer than this service's " + std::to_string(kSchemaVersion));
        for (int next = found + 1; next <= kSchemaVersion; ++next) {
            migration.exec(kMigrations[next - 1]);
            if (next == 2) FillItemDetails(migration);
        }
        if (found < kSchemaVersion) {
            migration.exec("DELETE FROM desk_schema");
            migration.exec_params("INSERT INTO desk_schema (version) VALUES ($1)", kSchemaVersion);
        }
        migration.commit();
    }
    first.reset();
    idle_.push_back(Connect());
    for (int i = 1; i < connections; ++i) idle_.push_back(nullptr);
}

std::unique_ptr<pqxx::connection> PostgresStorage::Connect() {
    auto connection = std::make_unique<pqxx::connection>(address_);
    connection->set_client_encoding("UTF8");
    connection->prepare("add_bytes", "INSERT INTO sender_days (sender, day, bytes) VALUES ($1, $2, $3)"
                                     " ON CONFLICT (sender, day) DO UPDATE SET bytes = sender_days.bytes + excluded.bytes"
                                     " RETURNING bytes");
    connection->prepare("insert_report",
                        "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count)"
                        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING id");
    // Items go in by up to kItemsAtOnce rows a statement: a round trip to the server per item would cost
    // more than the rows.
    for (int rows = 1; rows <= kItemsAtOnce; ++rows) {
        std::string sql = "INSERT INTO items (report_id, position, group_class, subject, state, colour, red, result,"
                          " addition, solution_type, method, param, solution_label) VALUES ";
        for (int row = 0, n = 1; row < rows; ++row) {
            sql += row ? ", ($1" : "($1";
            for (int column = 1; column < kItemColumns; ++column) sql += ", $" + std::to_string(++n);
            sql += ")";
        }
        connection->prepare("insert_items_" + std::to_string(rows), sql);
    }
    connection->prepare("list", kList);
    connection->prepare("find", "SELECT id, received_ms, sender, ticket, lang, item_count, red_count, xml, ie_addons"
                                " FROM reports WHERE id = $1");
    connection->prepare("find_items", "SELECT position, group_class, subject, state, colour, red, result, addition,"
                                      " solution_type, method, param, solution_label FROM items WHERE report_id = $1"
                                      " ORDER BY position");
    connection->prepare("summary", kSummary);
    connection->prepare("retention_lock", "SELECT pg_try_advisory_xact_lock(" + std::to_string(kRetentionLock) + ")");
    connection->prepare("delete_items",
                        "DELETE FROM items WHERE report_id IN (SELECT id FROM reports WHERE received_ms < $1)");
    connection->prepare("delete_reports", "DELETE FROM reports WHERE received_ms < $1");
    connection->prepare("count", "SELECT COUNT(*) FROM reports");
    connection->prepare("open_session", "INSERT INTO sessions (token_hash, account, created_ms, used_ms) VALUES ($1, $2, $3, $3)");
    connection->prepare("use_session", "UPDATE sessions SET used_ms = GREATEST(used_ms, $2) WHERE token_hash = $1"
                                       " AND used_ms >= $3 RETURNING account");
    connection->prepare("close_session", "DELETE FROM sessions WHERE token_hash = $1");
    connection->prepare("take_token", kTakeToken);
    connection->prepare("has_token", kHasToken);
    connection->prepare("tidy_sessions", "DELETE FROM sessions WHERE used_ms < $1");
    connection->prepare("tidy_buckets", "DELETE FROM rate_buckets WHERE updated_ms < $1");
    connection->prepare("tidy_days", "DELETE FROM sender_days WHERE day < $1");
    connection->prepare("schema_version", "SELECT MAX(version) FROM desk_schema");
    return connection;
}

// One transaction on a connection of the pool; a broken connection is dropped, so its slot opens a new one.
template <typename Work> auto PostgresStorage::Run(Work work) {
    std::unique_ptr<pqxx::connection> connection;
    {
        std::unique_lock<std::mutex> hold(lock_);
        returned_.wait(hold, [this] { return !idle_.empty(); });
        connection = std::move(idle_.back());
        idle_.pop_back();
    }
    struct Return {
        PostgresStorage& self;
        std::unique_ptr<pqxx::connection>& connection;
        ~Return() {
            {
                std::lock_guard<std::mutex> hold(self.lock_);
                self.idle_.push_back(std::move(connection));
            }
            self.returned_.notify_one();
        }
    } giveBack{*this, connection};
    try {
        if (!connection || !connection->is_open()) connection = Connect();
        pqxx::work transaction(*connection);
        auto answer = work(transaction);
        transaction.commit();
        return answer;
    } catch (const pqxx::broken_connection&) {
        connection.reset();
        throw;
    }
}

std::optional<int64_t> PostgresStorage::Add(const NewReport& report, int64_t dailyQuotaBytes) {
    struct OverQuota {};
    try {
        return Run([&](pqxx::work& w) -> std::optional<int64_t> {
            if (dailyQuotaBytes > 0) {
                const int64_t used = w.exec_prepared1("add_bytes", report.sender, report.receivedMs / (24LL * 3600 * 1000),
                                                      StoredBytes(report))[0]
                                         .as<int64_t>();
                if (used > dailyQuotaBytes) throw OverQuota{};  // rolled back: nothing counted
            }
            int red = 0;
            for (const StoredItem& item : report.items) red += item.red ? 1 : 0;
            const int64_t id = w.exec_prepared1("insert_report", report.receivedMs, report.sender, report.ticket,
                                                report.lang, report.xml, report.ieAddons,
                                                static_cast<int>(report.items.size()), red)[0]
                                   .as<int64_t>();
            for (size_t first = 0; first < report.items.size(); first += kItemsAtOnce) {
                const size_t rows = std::min<size_t>(kItemsAtOnce, report.items.size() - first);
                std::vector<std::string> values = {std::to_string(id)};
                for (size_t i = first; i < first + rows; ++i) {
                    const StoredItem& it = report.items[i];
                    values.insert(values.end(), {std::to_string(it.position), it.group, it.subject, it.state, it.colour,
                                                 it.red ? "1" : "0", it.result, it.addition, it.solutionType, it.method,
                                                 it.param, it.solutionLabel});
                }
                w.exec_prepared0("insert_items_" + std::to_string(rows), pqxx::prepare::make_dynamic_params(values));
            }
            return id;
        });
    } catch (const OverQuota&) {
        return std::nullopt;
    }
}

std::vector<ReportRow> PostgresStorage::List(const ReportFilter& filter) {
    return Run([&](pqxx::work& w) {
        const auto from = Number(filter.fromMs), to = Number(filter.toMs);
        const auto afterMs = Number(filter.after ? std::optional<int64_t>(filter.after->first) : std::nullopt);
        const auto afterId = Number(filter.after ? std::optional<int64_t>(filter.after->second) : std::nullopt);
        std::vector<ReportRow> rows;
        for (const pqxx::row& r : w.exec_prepared("list", OrNull(filter.ticket), OrNull(from), OrNull(to),
                                                  OrNull(filter.red), filter.limit, filter.offset, OrNull(afterMs),
                                                  OrNull(afterId)))
            rows.push_back(RowOf(r));
        return rows;
    });
}

std::optional<ReportDetail> PostgresStorage::Find(int64_t id) {
    return Run([&](pqxx::work& w) -> std::optional<ReportDetail> {
        const pqxx::result found = w.exec_prepared("find", id);
        if (found.empty()) return std::nullopt;
        ReportDetail detail{RowOf(found[0]), Text(found[0][7]), Text(found[0][8]), {}};
        for (const pqxx::row& r : w.exec_prepared("find_items", id)) detail.items.push_back(ItemOf(r));
        return detail;
    });
}

std::vector<RedCount> PostgresStorage::RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) {
    return Run([&](pqxx::work& w) {
        const auto from = Number(fromMs), to = Number(toMs);
        std::vector<RedCount> counts;
        for (const pqxx::row& r : w.exec_prepared("summary", OrNull(from), OrNull(to)))
            counts.push_back({Text(r[0]), r[1].as<int64_t>()});
        return counts;
    });
}

std::optional<int64_t> PostgresStorage::DeleteBefore(int64_t ms) {
    return Run([&](pqxx::work& w) -> std::optional<int64_t> {
        if (!w.exec_prepared1("retention_lock")[0].as<bool>()) return std::nullopt;
        w.exec_prepared0("delete_items", ms);
        return static_cast<int64_t>(w.exec_prepared0("delete_reports", ms).affected_rows());
    });
}

int64_t PostgresStorage::Count() {
    return Run([&](pqxx::work& w) { return w.exec_prepared1("count")[0].as<int64_t>(); });
}

void PostgresStorage::OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) {
    Run([&](pqxx::work& w) { return w.exec_prepared0("open_session", tokenHash, account, nowMs).affected_rows(); });
}

std::optional<std::string> PostgresStorage::UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) {
    return Run([&](pqxx::work& w) -> std::optional<std::string> {
        const pqxx::result used = w.exec_prepared("use_session", tokenHash, nowMs, nowMs - idleMs);
        if (used.empty()) return std::nullopt;
        return Text(used[0][0]);
    });
}

void PostgresStorage::CloseSession(const std::string& tokenHash) {
    Run([&](pqxx::work& w) { return w.exec_prepared0("close_session", tokenHash).affected_rows(); });
}

bool PostgresStorage::TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    return Run([&](pqxx::work& w) { return !w.exec_prepared("take_token", bucket, perMinute, nowMs).empty(); });
}

bool PostgresStorage::HasToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    return Run([&](pqxx::work& w) {
        const pqxx::result found = w.exec_prepared("has_token", bucket, perMinute, nowMs);
        return found.empty() || found[0][0].as<double>() >= 1.0;
    });
}

void PostgresStorage::Tidy(int64_t nowMs, int64_t sessionIdleMs) {
    Run([&](pqxx::work& w) {
        w.exec_prepared0("tidy_sessions", nowMs - sessionIdleMs);
        w.exec_prepared0("tidy_buckets", nowMs - 60000);  // a minute refills any bucket
        w.exec_prepared0("tidy_days", nowMs / (24LL * 3600 * 1000) - 1);
        return 0;
    });
}

int PostgresStorage::SchemaVersion() {
    return Run([&](pqxx::work& w) { return w.exec_prepared1("schema_version")[0].as<int>(); });
}

}  // namespace omni::desk
