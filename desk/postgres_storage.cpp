#include "postgres_storage.h"

#include <algorithm>
#include <limits>
#include <map>

#include <nlohmann/json.hpp>
#include <pqxx/prepared_statement>
#include <pqxx/result>

#include "postgres_schema.h"

namespace omni::desk {

namespace {

constexpr int kItemsAtOnce = 16;
constexpr int kItemColumns = 15;  // the report's number, then fourteen of the item's own

#define OMNI_ROW "r.id, r.received_ms, r.sender, r.ticket, r.lang, r.item_count, r.red_count"
// The same row led by the red item's own copy of the report's number and time, which its index orders.
#define OMNI_RED_ROW "i.report_id, i.received_ms, r.sender, r.ticket, r.lang, r.item_count, r.red_count"
#define OMNI_WINDOW(t, id)                                                                                        \
    " " t ".received_ms BETWEEN $1::bigint AND $2::bigint AND (" t ".received_ms, " t "." id                      \
    ") < ($3::bigint, $4::bigint)"
// A newer report of the same ticket in the period ($6 its last moment).
#define OMNI_NEWER                                                                                                \
    "SELECT 1 FROM reports n WHERE n.ticket = r.ticket AND n.received_ms <= $6::bigint"                           \
    " AND (n.received_ms, n.id) > (r.received_ms, r.id)"

// The red items of a part of a day with one key, on the red items' index.
#define OMNI_RED_IN_PART_OF(low, high)                                                                          \
    "(SELECT COUNT(*) FROM items i WHERE i.red = 1 AND i.item_key = k.item_key AND i.received_ms >= " low           \
    "::bigint AND i.received_ms < " high "::bigint)"
#define OMNI_RED_IN_PART OMNI_RED_IN_PART_OF("$1", "$2")

// Each daily sum has a row per connection's shard: services adding reports at once then rarely wait for
// each other's row. Tidy folds the past days' shards into one row.
#define OMNI_SHARD "pg_backend_pid() % 16"

const std::pair<const char*, const char*> kStatements[] = {
    {"list_time", "SELECT " OMNI_ROW " FROM reports r WHERE" OMNI_WINDOW("r", "id")
                  " ORDER BY r.received_ms DESC, r.id DESC LIMIT $5 OFFSET $6"},
    {"list_ticket", "SELECT " OMNI_ROW " FROM reports r WHERE r.ticket = $7 AND" OMNI_WINDOW("r", "id")
                    " AND ($8::text IS NULL OR EXISTS (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1"
                    " AND i.item_key = $8)) ORDER BY r.received_ms DESC, r.id DESC LIMIT $5 OFFSET $6"},
    {"list_red", "SELECT " OMNI_RED_ROW " FROM items i JOIN reports r ON r.id = i.report_id"
                 " WHERE i.red = 1 AND i.item_key = $7 AND" OMNI_WINDOW("i", "report_id")
                 " ORDER BY i.received_ms DESC, i.report_id DESC LIMIT $5 OFFSET $6"},
    {"red_tickets", "SELECT " OMNI_ROW " FROM reports r WHERE r.red_count > 0 AND r.ticket <> '' AND"
                    OMNI_WINDOW("r", "id") " AND NOT EXISTS (" OMNI_NEWER ")"
                    " ORDER BY r.received_ms DESC, r.id DESC LIMIT $5"},
    {"red_tickets_item", "SELECT " OMNI_RED_ROW " FROM items i JOIN reports r ON r.id = i.report_id"
                         " WHERE i.red = 1 AND i.item_key = $7 AND r.ticket <> '' AND" OMNI_WINDOW("i", "report_id")
                         " AND NOT EXISTS (" OMNI_NEWER ") ORDER BY i.received_ms DESC, i.report_id DESC LIMIT $5"},
    {"red_keys_of", "SELECT report_id, item_key FROM items WHERE red = 1 AND report_id IN"
                    " (SELECT value::bigint FROM json_array_elements_text($1::json)) ORDER BY report_id, position"},
    {"count_ticket", "SELECT COUNT(*) FROM reports r WHERE r.ticket = $1 AND r.received_ms >= $2::bigint"
                     " AND r.received_ms < $3::bigint AND ($4::text IS NULL OR EXISTS (SELECT 1 FROM items i"
                     " WHERE i.report_id = r.id AND i.red = 1 AND i.item_key = $4))"},
    {"count_days", "SELECT COALESCE(SUM(reports), 0) FROM report_days WHERE day >= $1::bigint AND day < $2::bigint"},
    {"count_red_days", "SELECT COALESCE(SUM(reports), 0) FROM red_item_days WHERE day >= $1::bigint AND day < $2::bigint"
                       " AND item_key = $3"},
    {"count_part", "SELECT COUNT(*) FROM reports WHERE received_ms >= $1::bigint AND received_ms < $2::bigint"},
    {"count_red_part", "SELECT COUNT(*) FROM items WHERE red = 1 AND item_key = $3 AND received_ms >= $1::bigint"
                       " AND received_ms < $2::bigint"},
    {"summary_days", "SELECT item_key, SUM(reports) FROM red_item_days WHERE day >= $1::bigint AND day < $2::bigint"
                     " GROUP BY item_key"},
    // A part of a day, counted key by key on the red items' index: the keys are those of its days' sums.
    {"summary_part", "SELECT k.item_key, " OMNI_RED_IN_PART " FROM (SELECT DISTINCT item_key FROM red_item_days"
                     " WHERE day BETWEEN $1::bigint / 86400000 AND ($2::bigint - 1) / 86400000) k"},
    {"days", "SELECT day, SUM(reports), SUM(red_reports) FROM report_days WHERE day >= $1::bigint AND day < $2::bigint"
             " GROUP BY day ORDER BY day"},
    {"ticket_count", "SELECT COUNT(*) FROM reports WHERE ticket = $1"},
    {"ticket_reports", "SELECT " OMNI_ROW " FROM reports r WHERE r.ticket = $1 ORDER BY r.received_ms DESC, r.id DESC"
                       " LIMIT $2"},
    {"items_of", "SELECT report_id, item_key, red FROM items WHERE report_id IN"
                 " (SELECT value::bigint FROM json_array_elements_text($1::json)) ORDER BY report_id, position"},
    {"find", "SELECT id, received_ms, sender, ticket, lang, item_count, red_count, xml, ie_addons FROM reports"
             " WHERE id = $1"},
    {"find_items", "SELECT position, group_class, subject, item_key, state, colour, red, result, addition,"
                   " solution_type, method, param, solution_label FROM items WHERE report_id = $1 ORDER BY position"},
    {"count", "SELECT COUNT(*) FROM reports"},
    {"add_bytes", "INSERT INTO sender_days (sender, day, bytes) VALUES ($1, $2, $3) ON CONFLICT (sender, day)"
                  " DO UPDATE SET bytes = sender_days.bytes + excluded.bytes RETURNING bytes"},
    {"insert_report", "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count)"
                      " VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING id"},
    {"add_day", "INSERT INTO report_days (day, shard, reports, red_reports) VALUES ($1, " OMNI_SHARD ", 1, $2)"
                " ON CONFLICT (day, shard) DO UPDATE SET reports = report_days.reports + 1,"
                " red_reports = report_days.red_reports + excluded.red_reports"},
    // In the keys' order, so two reports that share a shard take their rows in the same order.
    {"add_red_days", "INSERT INTO red_item_days (day, item_key, shard, reports) SELECT $1::bigint, k, " OMNI_SHARD ", 1"
                     " FROM json_array_elements_text($2::json) AS k ORDER BY k ON CONFLICT (day, item_key, shard)"
                     " DO UPDATE SET reports = red_item_days.reports + 1"},
    // One service at a time deletes old reports; the others do not wait for it.
    {"retention_lock", "SELECT pg_try_advisory_xact_lock(4243)"},
    {"delete_items", "DELETE FROM items WHERE report_id IN (SELECT id FROM reports WHERE received_ms < $1)"},
    {"delete_reports", "DELETE FROM reports WHERE received_ms < $1"},
    {"delete_views", "DELETE FROM report_views WHERE viewed_ms < $1"},
    {"delete_days", "DELETE FROM report_days WHERE day <= $1"},
    // The day that the cut falls in is summed again from what is left of it: its red items' counts first
    // into rows of shard -1, which replace the day's rows once the older ones are gone.
    {"recount_day", "INSERT INTO report_days (day, shard, reports, red_reports) SELECT $1::bigint, 0, COUNT(*),"
                    " SUM(CASE WHEN red_count > 0 THEN 1 ELSE 0 END) FROM reports WHERE received_ms >= $2::bigint"
                    " AND received_ms < $3::bigint HAVING COUNT(*) > 0"},
    {"recount_red_day", "INSERT INTO red_item_days (day, item_key, shard, reports) SELECT $1::bigint, k.item_key, -1, "
                        OMNI_RED_IN_PART_OF("$2", "$3") " FROM (SELECT DISTINCT item_key FROM red_item_days"
                        " WHERE day = $1::bigint) k"},
    {"delete_red_days", "DELETE FROM red_item_days WHERE day <= $1 AND (shard <> -1 OR reports = 0)"},
    {"keep_red_recount", "UPDATE red_item_days SET shard = 0 WHERE day = $1 AND shard = -1"},
};

std::string Text(const pqxx::field& field) { return std::string(field.c_str(), field.size()); }

const char* OrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

ReportRow RowOf(const pqxx::row& r) {
    return ReportRow{r[0].as<int64_t>(), r[1].as<int64_t>(), Text(r[2]), Text(r[3]), Text(r[4]), r[5].as<int>(),
                     r[6].as<int>(), {}};
}

StoredItem ItemOf(const pqxx::row& r) {
    StoredItem item;
    item.position = r[0].as<int>();
    item.group = Text(r[1]);
    item.subject = Text(r[2]);
    item.key = Text(r[3]);
    item.state = Text(r[4]);
    item.colour = Text(r[5]);
    item.red = r[6].as<int>() != 0;
    item.result = Text(r[7]);
    item.addition = Text(r[8]);
    item.solutionType = Text(r[9]);
    item.method = Text(r[10]);
    item.param = Text(r[11]);
    item.solutionLabel = Text(r[12]);
    return item;
}

std::string JsonText(const nlohmann::json& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonNumbers(const std::vector<ReportRow>& rows) {
    nlohmann::json ids = nlohmann::json::array();
    for (const ReportRow& row : rows) ids.push_back(row.id);
    return ids.dump();
}

void FillRedKeys(pqxx::work& w, std::vector<ReportRow>& rows) {
    if (rows.empty()) return;
    std::map<int64_t, ReportRow*> byId;
    for (ReportRow& row : rows) byId[row.id] = &row;
    for (const pqxx::row& r : w.exec_prepared("red_keys_of", JsonNumbers(rows)))
        byId.at(r[0].as<int64_t>())->redKeys.push_back(Text(r[1]));
}

}  // namespace

PostgresStorage::PostgresStorage(std::string address, int connections) : address_(std::move(address)) {
    auto first = std::make_unique<pqxx::connection>(address_);
    {
        pqxx::work migration(*first);
        MigratePostgres(migration);
        migration.commit();
    }
    first.reset();
    idle_.push_back(Connect());
    for (int i = 1; i < connections; ++i) idle_.push_back(nullptr);
}

std::unique_ptr<pqxx::connection> PostgresStorage::Connect() {
    auto connection = std::make_unique<pqxx::connection>(address_);
    connection->set_client_encoding("UTF8");
    for (const auto& [name, sql] : kStatements) connection->prepare(name, sql);
    // Items go in by up to kItemsAtOnce rows a statement: a round trip to the server per item would cost
    // more than the rows.
    for (int rows = 1; rows <= kItemsAtOnce; ++rows) {
        std::string sql = "INSERT INTO items (report_id, received_ms, position, group_class, subject, item_key, state,"
                          " colour, red, result, addition, solution_type, method, param, solution_label) VALUES ";
        for (int row = 0, n = 2; row < rows; ++row) {
            sql += row ? ", ($1, $2" : "($1, $2";
            for (int column = 2; column < kItemColumns; ++column) sql += ", $" + std::to_string(++n);
            sql += ")";
        }
        connection->prepare("insert_items_" + std::to_string(rows), sql);
    }
    PrepareSessions(*connection);
    return connection;
}

std::optional<int64_t> PostgresStorage::Add(const NewReport& report, int64_t dailyQuotaBytes) {
    struct OverQuota {};
    const int64_t day = report.receivedMs / kDayMs;
    try {
        return Run([&](pqxx::work& w) -> std::optional<int64_t> {
            if (dailyQuotaBytes > 0) {
                const int64_t used = w.exec_prepared1("add_bytes", report.sender, day, StoredBytes(report))[0].as<int64_t>();
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
                std::vector<std::string> values = {std::to_string(id), std::to_string(report.receivedMs)};
                for (size_t i = first; i < first + rows; ++i) {
                    const StoredItem& it = report.items[i];
                    values.insert(values.end(), {std::to_string(it.position), it.group, it.subject, it.key, it.state,
                                                 it.colour, it.red ? "1" : "0", it.result, it.addition, it.solutionType,
                                                 it.method, it.param, it.solutionLabel});
                }
                w.exec_prepared0("insert_items_" + std::to_string(rows), pqxx::prepare::make_dynamic_params(values));
            }
            // The shared daily rows last, so that they are held only for the commit.
            w.exec_prepared0("add_day", day, red > 0 ? 1 : 0);
            const std::vector<std::string> keys = DistinctRedKeys(report.items);
            if (!keys.empty()) w.exec_prepared0("add_red_days", day, JsonText(keys));
            return id;
        });
    } catch (const OverQuota&) {
        return std::nullopt;
    }
}

std::vector<ReportRow> PostgresStorage::List(const ReportFilter& filter) {
    return Run([&](pqxx::work& w) {
        const ListWindow v = WindowOf(filter);
        pqxx::result found;
        if (filter.ticket)
            found = w.exec_prepared("list_ticket", v.low, v.high, v.cursorMs, v.cursorId, filter.limit, filter.offset,
                                    *filter.ticket, OrNull(filter.red));
        else if (filter.red)
            found = w.exec_prepared("list_red", v.low, v.high, v.cursorMs, v.cursorId, filter.limit, filter.offset,
                                    *filter.red);
        else
            found = w.exec_prepared("list_time", v.low, v.high, v.cursorMs, v.cursorId, filter.limit, filter.offset);
        std::vector<ReportRow> rows;
        for (const pqxx::row& r : found) rows.push_back(RowOf(r));
        if (filter.withRedKeys) FillRedKeys(w, rows);
        return rows;
    });
}

int64_t PostgresStorage::CountReports(const ReportFilter& filter) {
    return Run([&](pqxx::work& w) -> int64_t {
        if (filter.ticket)
            return w.exec_prepared1("count_ticket", *filter.ticket,
                                    filter.fromMs.value_or(std::numeric_limits<int64_t>::min()),
                                    filter.toMs.value_or(std::numeric_limits<int64_t>::max()), OrNull(filter.red))[0]
                .as<int64_t>();
        const PeriodParts parts = SplitByDays(filter.fromMs, filter.toMs);
        auto count = [&](const char* plain, const char* red, int64_t low, int64_t high) {
            return (filter.red ? w.exec_prepared1(red, low, high, *filter.red) : w.exec_prepared1(plain, low, high))[0]
                .as<int64_t>();
        };
        int64_t total = 0;
        if (parts.firstDay < parts.endDay) total += count("count_days", "count_red_days", parts.firstDay, parts.endDay);
        for (const auto& part : {parts.before, parts.after})
            if (part) total += count("count_part", "count_red_part", part->first, part->second);
        return total;
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
        const PeriodParts parts = SplitByDays(fromMs, toMs);
        std::map<std::string, int64_t> counts;
        auto add = [&](const char* statement, int64_t low, int64_t high) {
            for (const pqxx::row& r : w.exec_prepared(statement, low, high)) counts[Text(r[0])] += r[1].as<int64_t>();
        };
        if (parts.firstDay < parts.endDay) add("summary_days", parts.firstDay, parts.endDay);
        for (const auto& part : {parts.before, parts.after})
            if (part) add("summary_part", part->first, part->second);
        return MostFirst(counts);
    });
}

std::vector<DayCount> PostgresStorage::Days(int64_t fromDay, int64_t toDay) {
    return Run([&](pqxx::work& w) {
        std::vector<DayCount> days;
        for (const pqxx::row& r : w.exec_prepared("days", fromDay, toDay))
            days.push_back({r[0].as<int64_t>(), r[1].as<int64_t>(), r[2].as<int64_t>()});
        return days;
    });
}

TicketReports PostgresStorage::Ticket(const std::string& ticket, int limit) {
    return Run([&](pqxx::work& w) {
        TicketReports found;
        found.total = w.exec_prepared1("ticket_count", ticket)[0].as<int64_t>();
        std::vector<ReportRow> rows;
        for (const pqxx::row& r : w.exec_prepared("ticket_reports", ticket, limit)) rows.push_back(RowOf(r));
        if (rows.empty()) return found;
        std::reverse(rows.begin(), rows.end());
        const std::string ids = JsonNumbers(rows);
        std::map<int64_t, size_t> index;
        for (ReportRow& row : rows) {
            index[row.id] = found.reports.size();
            found.reports.push_back({std::move(row), {}});
        }
        for (const pqxx::row& r : w.exec_prepared("items_of", ids))
            found.reports[index.at(r[0].as<int64_t>())].items.emplace_back(Text(r[1]), r[2].as<int>() != 0);
        return found;
    });
}

std::vector<ReportRow> PostgresStorage::RedTickets(const ReportFilter& filter) {
    return Run([&](pqxx::work& w) {
        const ListWindow v = WindowOf(filter);
        const int64_t last = filter.toMs ? *filter.toMs - 1 : std::numeric_limits<int64_t>::max();
        const pqxx::result found =
            filter.red ? w.exec_prepared("red_tickets_item", v.low, v.high, v.cursorMs, v.cursorId, filter.limit, last,
                                         *filter.red)
                       : w.exec_prepared("red_tickets", v.low, v.high, v.cursorMs, v.cursorId, filter.limit, last);
        std::vector<ReportRow> rows;
        for (const pqxx::row& r : found) rows.push_back(RowOf(r));
        FillRedKeys(w, rows);
        return rows;
    });
}

std::optional<int64_t> PostgresStorage::DeleteBefore(int64_t ms) {
    const int64_t day = ms / kDayMs;
    return Run([&](pqxx::work& w) -> std::optional<int64_t> {
        if (!w.exec_prepared1("retention_lock")[0].as<bool>()) return std::nullopt;
        w.exec_prepared0("delete_items", ms);
        const int64_t removed = static_cast<int64_t>(w.exec_prepared0("delete_reports", ms).affected_rows());
        w.exec_prepared0("delete_views", ms);
        w.exec_prepared0("recount_red_day", day, ms, (day + 1) * kDayMs);
        w.exec_prepared0("delete_red_days", day);
        w.exec_prepared0("keep_red_recount", day);
        w.exec_prepared0("delete_days", day);
        w.exec_prepared0("recount_day", day, ms, (day + 1) * kDayMs);
        return removed;
    });
}

int64_t PostgresStorage::Count() {
    return Run([&](pqxx::work& w) { return w.exec_prepared1("count")[0].as<int64_t>(); });
}

int PostgresStorage::SchemaVersion() {
    return Run([&](pqxx::work& w) { return w.exec_prepared1("schema_version")[0].as<int>(); });
}

}  // namespace omni::desk
