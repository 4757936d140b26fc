#include "sqlite_storage.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "report_xml.h"

namespace omni::desk {

namespace {

// One script per schema version; a database is brought from its version to the latest in one transaction.
const char* const kMigrations[] = {
    // 1: the reports and their items (a database from before versions had these already).
    R"(
CREATE TABLE IF NOT EXISTS reports (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    received_ms INTEGER NOT NULL,
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
    report_id INTEGER NOT NULL REFERENCES reports (id) ON DELETE CASCADE,
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
    created_ms INTEGER NOT NULL,
    used_ms INTEGER NOT NULL);
CREATE INDEX sessions_used ON sessions (used_ms);
CREATE TABLE rate_buckets (
    bucket TEXT PRIMARY KEY,
    tokens REAL NOT NULL,
    updated_ms INTEGER NOT NULL);
CREATE INDEX rate_buckets_updated ON rate_buckets (updated_ms);
CREATE TABLE sender_days (
    sender TEXT NOT NULL,
    day INTEGER NOT NULL,
    bytes INTEGER NOT NULL,
    PRIMARY KEY (sender, day));
ALTER TABLE items ADD COLUMN state TEXT NOT NULL DEFAULT '';
ALTER TABLE items ADD COLUMN addition TEXT NOT NULL DEFAULT '';
ALTER TABLE items ADD COLUMN solution_type TEXT NOT NULL DEFAULT '';
ALTER TABLE items ADD COLUMN solution_label TEXT NOT NULL DEFAULT '';
)",
};
static_assert(sizeof kMigrations / sizeof *kMigrations == kSchemaVersion);

// Each optional filter is bound as NULL when absent, so one prepared statement serves every combination.
const char kList[] =
    "SELECT id, received_ms, sender, ticket, lang, item_count, red_count FROM reports r"
    " WHERE (?1 IS NULL OR ticket = ?1) AND (?2 IS NULL OR received_ms >= ?2) AND (?3 IS NULL OR received_ms < ?3)"
    " AND (?4 IS NULL OR EXISTS (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1 AND i.subject = ?4))"
    " AND (?7 IS NULL OR received_ms < ?7 OR (received_ms = ?7 AND id < ?8))"
    " ORDER BY received_ms DESC, id DESC LIMIT ?5 OFFSET ?6";
const char kSummary[] =
    "SELECT i.subject, COUNT(DISTINCT i.report_id) AS n FROM items i JOIN reports r ON r.id = i.report_id"
    " WHERE i.red = 1 AND (?1 IS NULL OR r.received_ms >= ?1) AND (?2 IS NULL OR r.received_ms < ?2)"
    " GROUP BY i.subject ORDER BY n DESC, i.subject";
const char kItemColumns[] =
    "position, group_class, subject, state, colour, red, result, addition, solution_type, method, param, solution_label";
// The bucket refilled up to now; a clock that went back refills nothing.
#define OMNI_REFILLED "MIN(?2, tokens + MAX(0, ?3 - updated_ms) * ?2 / 60000.0)"
const char kTakeToken[] =
    "INSERT INTO rate_buckets (bucket, tokens, updated_ms) VALUES (?1, ?2 - 1, ?3)"
    " ON CONFLICT (bucket) DO UPDATE SET tokens = " OMNI_REFILLED " - 1, updated_ms = MAX(updated_ms, ?3)"
    " WHERE " OMNI_REFILLED " >= 1 RETURNING tokens";
const char kHasToken[] = "SELECT " OMNI_REFILLED " FROM rate_buckets WHERE bucket = ?1";
#undef OMNI_REFILLED

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string("SQLite: ") + what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

void BindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void BindOptional(sqlite3_stmt* s, int index, const std::optional<std::string>& text) {
    if (text) BindText(s, index, *text);
    else sqlite3_bind_null(s, index);
}

void BindOptional(sqlite3_stmt* s, int index, const std::optional<int64_t>& number) {
    if (number) sqlite3_bind_int64(s, index, *number);
    else sqlite3_bind_null(s, index);
}

std::string Text(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text ? std::string(text, sqlite3_column_bytes(s, column)) : std::string();
}

// Resets a statement when the call is done with it, on every path.
class Use {
public:
    explicit Use(sqlite3_stmt* s) : s_(s) {}
    ~Use() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    sqlite3_stmt* get() const { return s_; }

private:
    sqlite3_stmt* s_;
};

ReportRow RowOf(sqlite3_stmt* s) {
    ReportRow row;
    row.id = sqlite3_column_int64(s, 0);
    row.receivedMs = sqlite3_column_int64(s, 1);
    row.sender = Text(s, 2);
    row.ticket = Text(s, 3);
    row.lang = Text(s, 4);
    row.items = sqlite3_column_int(s, 5);
    row.red = sqlite3_column_int(s, 6);
    return row;
}

StoredItem ItemOf(sqlite3_stmt* s) {
    StoredItem item;
    item.position = sqlite3_column_int(s, 0);
    item.group = Text(s, 1);
    item.subject = Text(s, 2);
    item.state = Text(s, 3);
    item.colour = Text(s, 4);
    item.red = sqlite3_column_int(s, 5) != 0;
    item.result = Text(s, 6);
    item.addition = Text(s, 7);
    item.solutionType = Text(s, 8);
    item.method = Text(s, 9);
    item.param = Text(s, 10);
    item.solutionLabel = Text(s, 11);
    return item;
}

void CreateFolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);  // made under the service's umask
    if (error) throw std::runtime_error("cannot create the folder " + folder.string() + ": " + error.message());
}

}  // namespace

SqliteStorage::SqliteStorage(const std::string& path) {
    CreateFolderOf(path);
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                       nullptr);
    db_.reset(db);
    if (opened != SQLITE_OK) Fail(db, ("cannot open " + path).c_str());
    sqlite3_busy_timeout(db, 10000);
    // WAL keeps readers off the writer's back; FULL syncs the log at every commit, so a report answered
    // 200 survives a crash of the service or of the machine.
    Execute("PRAGMA journal_mode = WAL");
    Execute("PRAGMA synchronous = FULL");
    Execute("PRAGMA foreign_keys = ON");
    Migrate();
}

void SqliteStorage::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string text = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("SQLite: " + text);
    }
}

sqlite3_stmt* SqliteStorage::Prepared(unique_statement& slot, const char* sql) {
    if (!slot) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(db_.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
            Fail(db_.get(), "prepare");
        slot.reset(s);
    }
    return slot.get();
}

// One write transaction under the lock, rolled back on any failure.
template <typename Work> auto SqliteStorage::InTransaction(Work work) {
    auto step = [this](unique_statement& slot, const char* sql) {
        Use use(Prepared(slot, sql));
        if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), sql);
    };
    step(begin_, "BEGIN IMMEDIATE");
    try {
        auto answer = work();
        step(commit_, "COMMIT");
        return answer;
    } catch (...) {
        Use use(Prepared(rollback_, "ROLLBACK"));
        sqlite3_step(use.get());
        throw;
    }
}

int SqliteStorage::SchemaVersion() {
    std::lock_guard<std::mutex> hold(lock_);
    unique_statement version;
    Use use(Prepared(version, "PRAGMA user_version"));
    if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "schema version");
    return sqlite3_column_int(use.get(), 0);
}

void SqliteStorage::Migrate() {
    const int found = SchemaVersion();
    if (found > kSchemaVersion)
        throw std::runtime_error("the database has schema version " + std::to_string(found) + ", newer than this service's " +
                                 std::to_string(kSchemaVersion));
    if (found == kSchemaVersion) return;
    std::lock_guard<std::mutex> hold(lock_);
    InTransaction([&] {
        int current = 0;  // again: another service may have migrated it while this one waited for the lock
        {
            unique_statement version;
            Use use(Prepared(version, "PRAGMA user_version"));
            if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "schema version");
            current = sqlite3_column_int(use.get(), 0);
        }
        for (int next = current + 1; next <= kSchemaVersion; ++next) {
            Execute(kMigrations[next - 1]);
            if (next == 2) FillItemDetails();
            Execute(("PRAGMA user_version = " + std::to_string(next)).c_str());
        }
        return 0;
    });
}

// Items stored before they kept every text get them from their report's XML, read as at arrival.
void SqliteStorage::FillItemDetails() {
    unique_statement reports, update;
    Prepared(reports, "SELECT id, xml FROM reports ORDER BY id");
    Prepared(update, "UPDATE items SET state = ?3, addition = ?4, solution_type = ?5, solution_label = ?6"
                     " WHERE report_id = ?1 AND position = ?2");
    Use each(reports.get());
    int stepped;
    while ((stepped = sqlite3_step(reports.get())) == SQLITE_ROW) {
        const ReadReport read = ReadReportXml(Text(reports.get(), 1));
        for (const StoredItem& item : read.items) {
            Use use(update.get());
            sqlite3_bind_int64(update.get(), 1, sqlite3_column_int64(reports.get(), 0));
            sqlite3_bind_int(update.get(), 2, item.position);
            BindText(update.get(), 3, item.state);
            BindText(update.get(), 4, item.addition);
            BindText(update.get(), 5, item.solutionType);
            BindText(update.get(), 6, item.solutionLabel);
            if (sqlite3_step(update.get()) != SQLITE_DONE) Fail(db_.get(), "fill item details");
        }
    }
    if (stepped != SQLITE_DONE) Fail(db_.get(), "read reports");
}

std::optional<int64_t> SqliteStorage::Add(const NewReport& report, int64_t dailyQuotaBytes) {
    std::lock_guard<std::mutex> hold(lock_);
    auto step = [this](sqlite3_stmt* s, const char* what) {
        if (sqlite3_step(s) != SQLITE_DONE) Fail(db_.get(), what);
    };
    try {
        return InTransaction([&]() -> std::optional<int64_t> {
            if (dailyQuotaBytes > 0) {
                Use use(Prepared(addBytes_, "INSERT INTO sender_days (sender, day, bytes) VALUES (?1, ?2, ?3)"
                                            " ON CONFLICT (sender, day) DO UPDATE SET bytes = bytes + excluded.bytes"
                                            " RETURNING bytes"));
                BindText(use.get(), 1, report.sender);
                sqlite3_bind_int64(use.get(), 2, report.receivedMs / (24LL * 3600 * 1000));
                sqlite3_bind_int64(use.get(), 3, StoredBytes(report));
                if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "count the sender's bytes");
                if (sqlite3_column_int64(use.get(), 0) > dailyQuotaBytes) throw std::out_of_range("quota");
            }
            int red = 0;
            for (const StoredItem& item : report.items) red += item.red ? 1 : 0;
            int64_t id = 0;
            {
                Use use(Prepared(insertReport_, "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons,"
                                                " item_count, red_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
                sqlite3_stmt* s = use.get();
                sqlite3_bind_int64(s, 1, report.receivedMs);
                BindText(s, 2, report.sender);
                BindText(s, 3, report.ticket);
                BindText(s, 4, report.lang);
                BindText(s, 5, report.xml);
                BindText(s, 6, report.ieAddons);
                sqlite3_bind_int(s, 7, static_cast<int>(report.items.size()));
                sqlite3_bind_int(s, 8, red);
                step(s, "insert report");
                id = sqlite3_last_insert_rowid(db_.get());
            }
            sqlite3_stmt* item = Prepared(insertItem_, "INSERT INTO items (report_id, position, group_class, subject,"
                                                       " state, colour, red, result, addition, solution_type, method,"
                                                       " param, solution_label)"
                                                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            for (const StoredItem& it : report.items) {
                Use use(item);
                sqlite3_bind_int64(item, 1, id);
                sqlite3_bind_int(item, 2, it.position);
                BindText(item, 3, it.group);
                BindText(item, 4, it.subject);
                BindText(item, 5, it.state);
                BindText(item, 6, it.colour);
                sqlite3_bind_int(item, 7, it.red ? 1 : 0);
                BindText(item, 8, it.result);
                BindText(item, 9, it.addition);
                BindText(item, 10, it.solutionType);
                BindText(item, 11, it.method);
                BindText(item, 12, it.param);
                BindText(item, 13, it.solutionLabel);
                step(item, "insert item");
            }
            return id;
        });
    } catch (const std::out_of_range&) {
        return std::nullopt;  // over the quota: rolled back, nothing counted
    }
}

std::vector<ReportRow> SqliteStorage::List(const ReportFilter& filter) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(list_, kList));
    sqlite3_stmt* s = use.get();
    BindOptional(s, 1, filter.ticket);
    BindOptional(s, 2, filter.fromMs);
    BindOptional(s, 3, filter.toMs);
    BindOptional(s, 4, filter.red);
    sqlite3_bind_int(s, 5, filter.limit);
    sqlite3_bind_int(s, 6, filter.offset);
    if (filter.after) {
        sqlite3_bind_int64(s, 7, filter.after->first);
        sqlite3_bind_int64(s, 8, filter.after->second);
    }
    std::vector<ReportRow> rows;
    int stepped;
    while ((stepped = sqlite3_step(s)) == SQLITE_ROW) rows.push_back(RowOf(s));
    if (stepped != SQLITE_DONE) Fail(db_.get(), "list");
    return rows;
}

std::optional<ReportDetail> SqliteStorage::Find(int64_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    ReportDetail detail;
    {
        Use use(Prepared(find_, "SELECT id, received_ms, sender, ticket, lang, item_count, red_count, xml, ie_addons"
                                " FROM reports WHERE id = ?"));
        sqlite3_stmt* s = use.get();
        sqlite3_bind_int64(s, 1, id);
        const int stepped = sqlite3_step(s);
        if (stepped == SQLITE_DONE) return std::nullopt;
        if (stepped != SQLITE_ROW) Fail(db_.get(), "find");
        detail = ReportDetail{RowOf(s), Text(s, 7), Text(s, 8), {}};
    }
    Use use(Prepared(findItems_, (std::string("SELECT ") + kItemColumns + " FROM items WHERE report_id = ? ORDER BY position").c_str()));
    sqlite3_bind_int64(use.get(), 1, id);
    int stepped;
    while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW) detail.items.push_back(ItemOf(use.get()));
    if (stepped != SQLITE_DONE) Fail(db_.get(), "find items");
    return detail;
}

std::vector<RedCount> SqliteStorage::RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(summary_, kSummary));
    sqlite3_stmt* s = use.get();
    BindOptional(s, 1, fromMs);
    BindOptional(s, 2, toMs);
    std::vector<RedCount> counts;
    int stepped;
    while ((stepped = sqlite3_step(s)) == SQLITE_ROW) counts.push_back({Text(s, 0), sqlite3_column_int64(s, 1)});
    if (stepped != SQLITE_DONE) Fail(db_.get(), "summary");
    return counts;
}

// The file's write lock takes turns between services sharing it, so none needs to wait for another's.
std::optional<int64_t> SqliteStorage::DeleteBefore(int64_t ms) {
    std::lock_guard<std::mutex> hold(lock_);
    auto run = [this, ms](unique_statement& slot, const char* sql) {
        Use use(Prepared(slot, sql));
        sqlite3_bind_int64(use.get(), 1, ms);
        if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "delete");
        return static_cast<int64_t>(sqlite3_changes(db_.get()));
    };
    return InTransaction([&]() -> std::optional<int64_t> {
        run(deleteItems_, "DELETE FROM items WHERE report_id IN (SELECT id FROM reports WHERE received_ms < ?)");
        return run(deleteReports_, "DELETE FROM reports WHERE received_ms < ?");
    });
}

int64_t SqliteStorage::Count() {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(count_, "SELECT COUNT(*) FROM reports"));
    if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "count");
    return sqlite3_column_int64(use.get(), 0);
}

void SqliteStorage::OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(openSession_, "INSERT INTO sessions (token_hash, account, created_ms, used_ms) VALUES (?1, ?2, ?3, ?3)"));
    BindText(use.get(), 1, tokenHash);
    BindText(use.get(), 2, account);
    sqlite3_bind_int64(use.get(), 3, nowMs);
    if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "open session");
}

std::optional<std::string> SqliteStorage::UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(useSession_, "UPDATE sessions SET used_ms = MAX(used_ms, ?2) WHERE token_hash = ?1 AND used_ms >= ?3"
                                  " RETURNING account"));
    BindText(use.get(), 1, tokenHash);
    sqlite3_bind_int64(use.get(), 2, nowMs);
    sqlite3_bind_int64(use.get(), 3, nowMs - idleMs);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_ROW) {
        std::string account = Text(use.get(), 0);
        if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "use session");
        return account;
    }
    if (stepped != SQLITE_DONE) Fail(db_.get(), "use session");
    return std::nullopt;
}

void SqliteStorage::CloseSession(const std::string& tokenHash) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(closeSession_, "DELETE FROM sessions WHERE token_hash = ?1"));
    BindText(use.get(), 1, tokenHash);
    if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "close session");
}

bool SqliteStorage::TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(takeToken_, kTakeToken));
    BindText(use.get(), 1, bucket);
    sqlite3_bind_int(use.get(), 2, perMinute);
    sqlite3_bind_int64(use.get(), 3, nowMs);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_ROW && sqlite3_step(use.get()) == SQLITE_DONE) return true;
    if (stepped != SQLITE_DONE) Fail(db_.get(), "take token");
    return false;
}

bool SqliteStorage::HasToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(hasToken_, kHasToken));
    BindText(use.get(), 1, bucket);
    sqlite3_bind_int(use.get(), 2, perMinute);
    sqlite3_bind_int64(use.get(), 3, nowMs);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_DONE) return true;  // never used: full
    if (stepped != SQLITE_ROW) Fail(db_.get(), "has token");
    return sqlite3_column_double(use.get(), 0) >= 1.0;
}

void SqliteStorage::Tidy(int64_t nowMs, int64_t sessionIdleMs) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::pair<const char*, int64_t> deletes[] = {
        {"DELETE FROM sessions WHERE used_ms < ?1", nowMs - sessionIdleMs},
        {"DELETE FROM rate_buckets WHERE updated_ms < ?1", nowMs - 60000},  // a minute refills any bucket
        {"DELETE FROM sender_days WHERE day < ?1", nowMs / (24LL * 3600 * 1000) - 1},
    };
    InTransaction([&] {
        for (const auto& [sql, bound] : deletes) {
            unique_statement statement;
            Use use(Prepared(statement, sql));
            sqlite3_bind_int64(use.get(), 1, bound);
            if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "tidy");
        }
        return 0;
    });
}

}  // namespace omni::desk
