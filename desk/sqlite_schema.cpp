// The SQLite file's schema: one script per version, and what a version reads again from stored reports.
#include <string>

#include "item_keys.h"
#include "report_xml.h"
#include "sqlite_storage.h"

namespace omni::desk {

using namespace sqlite;

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
    // 3: each item's key in every language, with its report's time for the red items' index; the daily
    // sums that the totals and the charts read; the indexes that page through a million reports; staff
    // accounts and the audit of who viewed which report.
    R"(
ALTER TABLE items ADD COLUMN item_key TEXT NOT NULL DEFAULT '';
ALTER TABLE items ADD COLUMN received_ms INTEGER NOT NULL DEFAULT 0;
UPDATE items SET received_ms = (SELECT r.received_ms FROM reports r WHERE r.id = items.report_id);
DROP INDEX IF EXISTS items_red_subject;
DROP INDEX IF EXISTS reports_ticket;
CREATE INDEX reports_ticket ON reports (ticket, received_ms);
CREATE TABLE report_days (
    day INTEGER NOT NULL,
    shard INTEGER NOT NULL,
    reports INTEGER NOT NULL,
    red_reports INTEGER NOT NULL,
    PRIMARY KEY (day, shard));
CREATE TABLE red_item_days (
    day INTEGER NOT NULL,
    item_key TEXT NOT NULL,
    shard INTEGER NOT NULL,
    reports INTEGER NOT NULL,
    PRIMARY KEY (day, item_key, shard));
CREATE TABLE accounts (
    name TEXT PRIMARY KEY,
    password_hash TEXT NOT NULL,
    created_ms INTEGER NOT NULL,
    changed_ms INTEGER NOT NULL);
CREATE TABLE report_views (
    viewed_ms INTEGER NOT NULL,
    account TEXT NOT NULL,
    report_id INTEGER NOT NULL,
    address TEXT NOT NULL);
CREATE INDEX report_views_report ON report_views (report_id, viewed_ms);
CREATE INDEX report_views_viewed ON report_views (viewed_ms);
)",
};
static_assert(sizeof kMigrations / sizeof *kMigrations == kSchemaVersion);

// After the keys are in (an item that no XML gave one keeps its subject): the red items by key and time,
// and the daily sums of what is stored.
const char kAfterKeys[] = R"(
UPDATE items SET item_key = group_class || '/subject:' || subject WHERE item_key = '';
CREATE INDEX items_red_key ON items (item_key, received_ms, report_id) WHERE red = 1;
INSERT INTO report_days (day, shard, reports, red_reports)
    SELECT received_ms / 86400000, 0, COUNT(*), SUM(CASE WHEN red_count > 0 THEN 1 ELSE 0 END) FROM reports
    GROUP BY received_ms / 86400000;
INSERT INTO red_item_days (day, item_key, shard, reports)
    SELECT received_ms / 86400000, item_key, 0, COUNT(*) FROM items WHERE red = 1
    GROUP BY received_ms / 86400000, item_key;
)";

const char kVersion[] = "PRAGMA user_version";
const char kReportsXml[] = "SELECT id, xml FROM reports ORDER BY id";
const char kFillDetails[] = "UPDATE items SET state = ?3, addition = ?4, solution_type = ?5, solution_label = ?6"
                            " WHERE report_id = ?1 AND position = ?2";
const char kFillKey[] = "UPDATE items SET item_key = ?3 WHERE report_id = ?1 AND position = ?2";

}  // namespace

int SqliteStorage::SchemaVersion() {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kVersion));
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
            Use use(Prepared(kVersion));
            if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "schema version");
            current = sqlite3_column_int(use.get(), 0);
        }
        for (int next = current + 1; next <= kSchemaVersion; ++next) {
            Execute(kMigrations[next - 1]);
            if (next == 2) FillItemDetails();
            if (next == 3) {
                FillItemKeys();
                Execute(kAfterKeys);
            }
            Execute(("PRAGMA user_version = " + std::to_string(next)).c_str());
        }
        return 0;
    });
}

// Each stored report, read again from its XML as at arrival.
void SqliteStorage::ReadEveryReport(const std::function<void(int64_t, const ReadReport&)>& use) {
    sqlite3_stmt* reports = Prepared(kReportsXml);
    Use each(reports);
    int stepped;
    while ((stepped = sqlite3_step(reports)) == SQLITE_ROW)
        use(sqlite3_column_int64(reports, 0), ReadReportXml(Text(reports, 1)));
    if (stepped != SQLITE_DONE) Fail(db_.get(), "read reports");
}

// Items stored before they kept every text get them from their report's XML.
void SqliteStorage::FillItemDetails() {
    sqlite3_stmt* update = Prepared(kFillDetails);
    ReadEveryReport([&](int64_t id, const ReadReport& read) {
        for (const StoredItem& item : read.items) {
            sqlite3_bind_int64(update, 1, id);
            sqlite3_bind_int(update, 2, item.position);
            BindText(update, 3, item.state);
            BindText(update, 4, item.addition);
            BindText(update, 5, item.solutionType);
            BindText(update, 6, item.solutionLabel);
            Step(update, "fill item details");
        }
    });
}

// Items stored before they had keys get them from their report's XML.
void SqliteStorage::FillItemKeys() {
    sqlite3_stmt* update = Prepared(kFillKey);
    ReadEveryReport([&](int64_t id, const ReadReport& read) {
        for (const StoredItem& item : read.items) {
            sqlite3_bind_int64(update, 1, id);
            sqlite3_bind_int(update, 2, item.position);
            BindText(update, 3, item.key);
            Step(update, "fill item keys");
        }
    });
}

}  // namespace omni::desk
