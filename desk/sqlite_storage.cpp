#include "sqlite_storage.h"

#include <stdexcept>

namespace omni::desk {

namespace {

const char kSchema[] = R"(
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
)";

// Each optional filter is bound as NULL when absent, so one prepared statement serves every combination.
const char kList[] =
    "SELECT id, received_ms, sender, ticket, lang, item_count, red_count FROM reports r"
    " WHERE (?1 IS NULL OR ticket = ?1) AND (?2 IS NULL OR received_ms >= ?2) AND (?3 IS NULL OR received_ms < ?3)"
    " AND (?4 IS NULL OR EXISTS (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1 AND i.subject = ?4))"
    " ORDER BY received_ms DESC, id DESC LIMIT ?5 OFFSET ?6";
const char kSummary[] =
    "SELECT i.subject, COUNT(DISTINCT i.report_id) AS n FROM items i JOIN reports r ON r.id = i.report_id"
    " WHERE i.red = 1 AND (?1 IS NULL OR r.received_ms >= ?1) AND (?2 IS NULL OR r.received_ms < ?2)"
    " GROUP BY i.subject ORDER BY n DESC, i.subject";

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

}  // namespace

SqliteStorage::SqliteStorage(const std::string& path) {
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
    Execute(kSchema);
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

int64_t SqliteStorage::Add(const NewReport& report) {
    std::lock_guard<std::mutex> hold(lock_);
    auto step = [this](sqlite3_stmt* s, const char* what) {
        Use use(s);
        if (sqlite3_step(s) != SQLITE_DONE) Fail(db_.get(), what);
    };
    step(Prepared(begin_, "BEGIN IMMEDIATE"), "begin");
    try {
        int red = 0;
        for (const StoredItem& item : report.items) red += item.red ? 1 : 0;
        sqlite3_stmt* s = Prepared(insertReport_,
                                   "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count,"
                                   " red_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        sqlite3_bind_int64(s, 1, report.receivedMs);
        BindText(s, 2, report.sender);
        BindText(s, 3, report.ticket);
        BindText(s, 4, report.lang);
        BindText(s, 5, report.xml);
        BindText(s, 6, report.ieAddons);
        sqlite3_bind_int(s, 7, static_cast<int>(report.items.size()));
        sqlite3_bind_int(s, 8, red);
        step(s, "insert report");
        const int64_t id = sqlite3_last_insert_rowid(db_.get());
        sqlite3_stmt* item = Prepared(insertItem_,
                                      "INSERT INTO items (report_id, position, group_class, subject, colour, red, result,"
                                      " method, param) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (const StoredItem& it : report.items) {
            sqlite3_bind_int64(item, 1, id);
            sqlite3_bind_int(item, 2, it.position);
            BindText(item, 3, it.group);
            BindText(item, 4, it.subject);
            BindText(item, 5, it.colour);
            sqlite3_bind_int(item, 6, it.red ? 1 : 0);
            BindText(item, 7, it.result);
            BindText(item, 8, it.method);
            BindText(item, 9, it.param);
            step(item, "insert item");
        }
        step(Prepared(commit_, "COMMIT"), "commit");
        return id;
    } catch (...) {
        Use use(Prepared(rollback_, "ROLLBACK"));
        sqlite3_step(use.get());
        throw;
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
    std::vector<ReportRow> rows;
    int stepped;
    while ((stepped = sqlite3_step(s)) == SQLITE_ROW) rows.push_back(RowOf(s));
    if (stepped != SQLITE_DONE) Fail(db_.get(), "list");
    return rows;
}

std::optional<ReportDetail> SqliteStorage::Find(int64_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(find_, "SELECT id, received_ms, sender, ticket, lang, item_count, red_count, xml, ie_addons"
                            " FROM reports WHERE id = ?"));
    sqlite3_stmt* s = use.get();
    sqlite3_bind_int64(s, 1, id);
    const int stepped = sqlite3_step(s);
    if (stepped == SQLITE_DONE) return std::nullopt;
    if (stepped != SQLITE_ROW) Fail(db_.get(), "find");
    return ReportDetail{RowOf(s), Text(s, 7), Text(s, 8)};
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

int64_t SqliteStorage::DeleteBefore(int64_t ms) {
    std::lock_guard<std::mutex> hold(lock_);
    auto run = [this, ms](unique_statement& slot, const char* sql) {
        Use use(Prepared(slot, sql));
        sqlite3_bind_int64(use.get(), 1, ms);
        if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "delete");
        return static_cast<int64_t>(sqlite3_changes(db_.get()));
    };
    Execute("BEGIN IMMEDIATE");
    try {
        run(deleteItems_, "DELETE FROM items WHERE report_id IN (SELECT id FROM reports WHERE received_ms < ?)");
        const int64_t removed = run(deleteReports_, "DELETE FROM reports WHERE received_ms < ?");
        Execute("COMMIT");
        return removed;
    } catch (...) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

int64_t SqliteStorage::Count() {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(count_, "SELECT COUNT(*) FROM reports"));
    if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "count");
    return sqlite3_column_int64(use.get(), 0);
}

}  // namespace omni::desk
