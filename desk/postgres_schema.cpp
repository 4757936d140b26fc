#include "postgres_schema.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <pqxx/result>

#include "report_xml.h"
#include "storage.h"

namespace omni::desk {

namespace {

constexpr int kMigrationLock = 4242;

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
    // 3: each item's key in every language, with its report's time for the red items' index; the daily
    // sums that the totals and the charts read (a row per day and per connection's shard, so that
    // receivers counting at once do not wait for each other); the indexes that page through a million
    // reports; staff accounts and the audit of who viewed which report.
    R"(
ALTER TABLE items ADD COLUMN item_key TEXT NOT NULL DEFAULT '', ADD COLUMN received_ms BIGINT NOT NULL DEFAULT 0;
UPDATE items i SET received_ms = r.received_ms FROM reports r WHERE r.id = i.report_id;
DROP INDEX IF EXISTS items_red_subject;
DROP INDEX IF EXISTS reports_ticket;
DROP INDEX IF EXISTS reports_received;
CREATE INDEX reports_received ON reports (received_ms, id);
CREATE INDEX reports_ticket ON reports (ticket, received_ms, id);
CREATE TABLE report_days (
    day BIGINT NOT NULL,
    shard INTEGER NOT NULL,
    reports BIGINT NOT NULL,
    red_reports BIGINT NOT NULL,
    PRIMARY KEY (day, shard));
CREATE TABLE red_item_days (
    day BIGINT NOT NULL,
    item_key TEXT NOT NULL,
    shard INTEGER NOT NULL,
    reports BIGINT NOT NULL,
    PRIMARY KEY (day, item_key, shard));
CREATE TABLE accounts (
    name TEXT PRIMARY KEY,
    password_hash TEXT NOT NULL,
    created_ms BIGINT NOT NULL,
    changed_ms BIGINT NOT NULL);
CREATE TABLE report_views (
    viewed_ms BIGINT NOT NULL,
    account TEXT NOT NULL,
    report_id BIGINT NOT NULL,
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

std::string Text(const pqxx::field& field) { return std::string(field.c_str(), field.size()); }

int VersionIn(pqxx::work& w) {
    w.exec("CREATE TABLE IF NOT EXISTS desk_schema (version INTEGER NOT NULL)");
    const pqxx::result found = w.exec("SELECT MAX(version) FROM desk_schema");
    return found[0][0].is_null() ? 0 : found[0][0].as<int>();
}

// Each stored report, read again from its XML as at arrival, 500 at a time.
void ReadEveryReport(pqxx::work& w, const std::function<void(const std::vector<std::pair<int64_t, ReadReport>>&)>& use) {
    for (int64_t last = 0;;) {
        const pqxx::result reports = w.exec_params("SELECT id, xml FROM reports WHERE id > $1 ORDER BY id LIMIT 500", last);
        if (reports.empty()) return;
        std::vector<std::pair<int64_t, ReadReport>> read;
        for (const pqxx::row& report : reports) {
            last = report[0].as<int64_t>();
            read.emplace_back(last, ReadReportXml(Text(report[1])));
        }
        use(read);
    }
}

// Items stored before they kept every text get them from their report's XML.
void FillItemDetails(pqxx::work& w) {
    ReadEveryReport(w, [&](const std::vector<std::pair<int64_t, ReadReport>>& reports) {
        for (const auto& [id, read] : reports)
            for (const StoredItem& item : read.items)
                w.exec_params("UPDATE items SET state = $3, addition = $4, solution_type = $5, solution_label = $6"
                              " WHERE report_id = $1 AND position = $2",
                              id, item.position, item.state, item.addition, item.solutionType, item.solutionLabel);
    });
}

// Items stored before they had keys get them from their report's XML: a statement for each 500 reports.
void FillItemKeys(pqxx::work& w) {
    ReadEveryReport(w, [&](const std::vector<std::pair<int64_t, ReadReport>>& reports) {
        nlohmann::json keys = nlohmann::json::array();
        for (const auto& [id, read] : reports)
            for (const StoredItem& item : read.items)
                keys.push_back({{"report_id", id}, {"position", item.position}, {"item_key", item.key}});
        w.exec_params("UPDATE items i SET item_key = k.item_key FROM json_to_recordset($1::json)"
                      " AS k(report_id BIGINT, position INTEGER, item_key TEXT)"
                      " WHERE i.report_id = k.report_id AND i.position = k.position",
                      keys.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    });
}

}  // namespace

void MigratePostgres(pqxx::work& w) {
    w.exec("SELECT pg_advisory_xact_lock(" + std::to_string(kMigrationLock) + ")");
    const int found = VersionIn(w);
    if (found > kSchemaVersion)
        throw std::runtime_error("the database has schema version " + std::to_string(found) +
                                 ", newer than this service's " + std::to_string(kSchemaVersion));
    for (int next = found + 1; next <= kSchemaVersion; ++next) {
        w.exec(kMigrations[next - 1]);
        if (next == 2) FillItemDetails(w);
        if (next == 3) {
            FillItemKeys(w);
            w.exec(kAfterKeys);
        }
    }
    if (found < kSchemaVersion) {
        w.exec("DELETE FROM desk_schema");
        w.exec_params("INSERT INTO desk_schema (version) VALUES ($1)", kSchemaVersion);
    }
}

}  // namespace omni::desk
