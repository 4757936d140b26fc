#include "postgres_storage.h"

#include <pqxx/except>
#include <pqxx/result>
#include <pqxx/transaction>

namespace omni::desk {

namespace {

const char kSchema[] = R"(
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
)";

// Absent filters are bound as NULL, so one prepared statement serves every combination.
const char kList[] =
    "SELECT id, received_ms, sender, ticket, lang, item_count, red_count FROM reports r"
    " WHERE ($1::text IS NULL OR ticket = $1) AND ($2::bigint IS NULL OR received_ms >= $2)"
    " AND ($3::bigint IS NULL OR received_ms < $3) AND ($4::text IS NULL OR EXISTS"
    " (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1 AND i.subject = $4))"
    " ORDER BY received_ms DESC, id DESC LIMIT $5 OFFSET $6";
const char kSummary[] =
    "SELECT i.subject, COUNT(DISTINCT i.report_id) AS n FROM items i JOIN reports r ON r.id = i.report_id"
    " WHERE i.red = 1 AND ($1::bigint IS NULL OR r.received_ms >= $1) AND ($2::bigint IS NULL OR r.received_ms < $2)"
    " GROUP BY i.subject ORDER BY n DESC, i.subject";

const char* OrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

std::optional<std::string> Number(const std::optional<int64_t>& number) {
    return number ? std::optional<std::string>(std::to_string(*number)) : std::nullopt;
}

std::string Text(const pqxx::field& field) { return std::string(field.c_str(), field.size()); }

ReportRow RowOf(const pqxx::row& r) {
    return ReportRow{r[0].as<int64_t>(), r[1].as<int64_t>(), Text(r[2]), Text(r[3]), Text(r[4]), r[5].as<int>(),
                     r[6].as<int>()};
}

}  // namespace

PostgresStorage::PostgresStorage(std::string address) : address_(std::move(address)) {
    std::lock_guard<std::mutex> hold(lock_);
    Connection();
}

pqxx::connection& PostgresStorage::Connection() {
    if (connection_ && connection_->is_open()) return *connection_;
    connection_.reset();
    auto connection = std::make_unique<pqxx::connection>(address_);
    connection->set_client_encoding("UTF8");
    {
        pqxx::work schema(*connection);
        schema.exec("SELECT pg_advisory_xact_lock(4242)");  // two services starting at once create the tables once
        schema.exec(kSchema);
        schema.commit();
    }
    connection->prepare("insert_report",
                        "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count)"
                        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING id");
    connection->prepare("insert_item",
                        "INSERT INTO items (report_id, position, group_class, subject, colour, red, result, method, param)"
                        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)");
    connection->prepare("list", kList);
    connection->prepare("find", "SELECT id, received_ms, sender, ticket, lang, item_count, red_count, xml, ie_addons"
                                " FROM reports WHERE id = $1");
    connection->prepare("summary", kSummary);
    connection->prepare("delete_items",
                        "DELETE FROM items WHERE report_id IN (SELECT id FROM reports WHERE received_ms < $1)");
    connection->prepare("delete_reports", "DELETE FROM reports WHERE received_ms < $1");
    connection->prepare("count", "SELECT COUNT(*) FROM reports");
    connection_ = std::move(connection);
    return *connection_;
}

// One transaction under the lock; a broken connection is dropped so the next call opens a new one.
template <typename Work> auto PostgresStorage::Run(Work work) {
    std::lock_guard<std::mutex> hold(lock_);
    try {
        pqxx::work transaction(Connection());
        auto answer = work(transaction);
        transaction.commit();
        return answer;
    } catch (const pqxx::broken_connection&) {
        connection_.reset();
        throw;
    }
}

int64_t PostgresStorage::Add(const NewReport& report) {
    return Run([&](pqxx::work& w) {
        int red = 0;
        for (const StoredItem& item : report.items) red += item.red ? 1 : 0;
        const int64_t id = w.exec_prepared1("insert_report", report.receivedMs, report.sender, report.ticket,
                                            report.lang, report.xml, report.ieAddons,
                                            static_cast<int>(report.items.size()), red)[0]
                               .as<int64_t>();
        for (const StoredItem& it : report.items)
            w.exec_prepared0("insert_item", id, it.position, it.group, it.subject, it.colour, it.red ? 1 : 0, it.result,
                             it.method, it.param);
        return id;
    });
}

std::vector<ReportRow> PostgresStorage::List(const ReportFilter& filter) {
    return Run([&](pqxx::work& w) {
        const auto from = Number(filter.fromMs), to = Number(filter.toMs);
        std::vector<ReportRow> rows;
        for (const pqxx::row& r : w.exec_prepared("list", OrNull(filter.ticket), OrNull(from), OrNull(to),
                                                  OrNull(filter.red), filter.limit, filter.offset))
            rows.push_back(RowOf(r));
        return rows;
    });
}

std::optional<ReportDetail> PostgresStorage::Find(int64_t id) {
    return Run([&](pqxx::work& w) -> std::optional<ReportDetail> {
        const pqxx::result found = w.exec_prepared("find", id);
        if (found.empty()) return std::nullopt;
        return ReportDetail{RowOf(found[0]), Text(found[0][7]), Text(found[0][8])};
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

int64_t PostgresStorage::DeleteBefore(int64_t ms) {
    return Run([&](pqxx::work& w) {
        w.exec_prepared0("delete_items", ms);
        return static_cast<int64_t>(w.exec_prepared0("delete_reports", ms).affected_rows());
    });
}

int64_t PostgresStorage::Count() {
    return Run([&](pqxx::work& w) { return w.exec_prepared1("count")[0].as<int64_t>(); });
}

}  // namespace omni::desk
