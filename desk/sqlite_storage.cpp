#include "sqlite_storage.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>

namespace omni::desk {

using namespace sqlite;

namespace {

#define OMNI_ROW "r.id, r.received_ms, r.sender, r.ticket, r.lang, r.item_count, r.red_count"
// The same row led by the red item's own copy of the report's number and time, which its index orders.
#define OMNI_RED_ROW "i.report_id, i.received_ms, r.sender, r.ticket, r.lang, r.item_count, r.red_count"
#define OMNI_WINDOW(t, id) " " t ".received_ms BETWEEN ?1 AND ?2 AND (" t ".received_ms < ?3 OR " t "." id " < ?4)"
// A newer report of the same ticket in the period (?6 its last moment).
#define OMNI_NEWER                                                                                                  \
    "SELECT 1 FROM reports n WHERE n.ticket = r.ticket AND n.received_ms BETWEEN r.received_ms AND ?6"           \
    " AND (n.received_ms > r.received_ms OR n.id > r.id)"

// Three shapes of the list, each walking its own index newest first from where the page starts.
const char kListByTime[] = "SELECT " OMNI_ROW " FROM reports r WHERE" OMNI_WINDOW("r", "id")
                           " ORDER BY r.received_ms DESC, r.id DESC LIMIT ?5 OFFSET ?6";
const char kListByTicket[] = "SELECT " OMNI_ROW " FROM reports r WHERE r.ticket = ?7 AND" OMNI_WINDOW("r", "id")
                             " AND (?8 IS NULL OR EXISTS (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1"
                             " AND i.item_key = ?8)) ORDER BY r.received_ms DESC, r.id DESC LIMIT ?5 OFFSET ?6";
const char kListByRed[] = "SELECT " OMNI_RED_ROW " FROM items i JOIN reports r ON r.id = i.report_id"
                          " WHERE i.red = 1 AND i.item_key = ?8 AND" OMNI_WINDOW("i", "report_id")
                          " ORDER BY i.received_ms DESC, i.report_id DESC LIMIT ?5 OFFSET ?6";
const char kRedTickets[] = "SELECT " OMNI_ROW " FROM reports r WHERE r.red_count > 0 AND r.ticket <> '' AND"
                           OMNI_WINDOW("r", "id") " AND NOT EXISTS (" OMNI_NEWER ")"
                           " ORDER BY r.received_ms DESC, r.id DESC LIMIT ?5";
const char kRedTicketsByItem[] = "SELECT " OMNI_RED_ROW " FROM items i JOIN reports r ON r.id = i.report_id"
                                 " WHERE i.red = 1 AND i.item_key = ?7 AND r.ticket <> '' AND" OMNI_WINDOW("i", "report_id")
                                 " AND NOT EXISTS (" OMNI_NEWER ") ORDER BY i.received_ms DESC, i.report_id DESC LIMIT ?5";
const char kRedKeysOf[] = "SELECT report_id, item_key FROM items WHERE red = 1 AND report_id IN"
                          " (SELECT value FROM json_each(?1)) ORDER BY report_id, position";

const char kCountTicket[] = "SELECT COUNT(*) FROM reports r WHERE r.ticket = ?1 AND r.received_ms >= ?2 AND r.received_ms < ?3"
                            " AND (?4 IS NULL OR EXISTS (SELECT 1 FROM items i WHERE i.report_id = r.id AND i.red = 1"
                            " AND i.item_key = ?4))";
const char kCountDays[] = "SELECT COALESCE(SUM(reports), 0) FROM report_days WHERE day >= ?1 AND day < ?2";
const char kCountRedDays[] = "SELECT COALESCE(SUM(reports), 0) FROM red_item_days WHERE day >= ?1 AND day < ?2"
                             " AND item_key = ?3";
const char kCountPart[] = "SELECT COUNT(*) FROM reports WHERE received_ms >= ?1 AND received_ms < ?2";
const char kCountRedPart[] = "SELECT COUNT(*) FROM items WHERE red = 1 AND item_key = ?3 AND received_ms >= ?1"
                             " AND received_ms < ?2";

const char kSummaryDays[] = "SELECT item_key, SUM(reports) FROM red_item_days WHERE day >= ?1 AND day < ?2 GROUP BY item_key";
// A part of a day, counted key by key on the red items' index: the keys are those of its days' sums.
#define OMNI_RED_IN_PART                                                                                          \
    "(SELECT COUNT(*) FROM items i WHERE i.red = 1 AND i.item_key = k.item_key AND i.received_ms >= ?2"            \
    " AND i.received_ms < ?3)"
const char kSummaryPart[] = "SELECT k.item_key, " OMNI_RED_IN_PART " FROM (SELECT DISTINCT item_key FROM red_item_days"
                            " WHERE day BETWEEN ?2 / 86400000 AND (?3 - 1) / 86400000) k";
const char kDays[] = "SELECT day, SUM(reports), SUM(red_reports) FROM report_days WHERE day >= ?1 AND day < ?2"
                     " GROUP BY day ORDER BY day";

const char kTicketCount[] = "SELECT COUNT(*) FROM reports WHERE ticket = ?1";
const char kTicketReports[] = "SELECT " OMNI_ROW " FROM reports r WHERE r.ticket = ?1"
                              " ORDER BY r.received_ms DESC, r.id DESC LIMIT ?2";
const char kItemsOf[] = "SELECT report_id, item_key, red FROM items WHERE report_id IN (SELECT value FROM json_each(?1))"
                        " ORDER BY report_id, position";

const char kFind[] = "SELECT id, received_ms, sender, ticket, lang, item_count, red_count, xml, ie_addons"
                     " FROM reports WHERE id = ?";
const char kFindItems[] = "SELECT position, group_class, subject, item_key, state, colour, red, result, addition,"
                          " solution_type, method, param, solution_label FROM items WHERE report_id = ? ORDER BY position";
const char kCount[] = "SELECT COUNT(*) FROM reports";

const char kAddBytes[] = "INSERT INTO sender_days (sender, day, bytes) VALUES (?1, ?2, ?3)"
                         " ON CONFLICT (sender, day) DO UPDATE SET bytes = bytes + excluded.bytes RETURNING bytes";
const char kInsertReport[] = "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count,"
                             " red_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
const char kInsertItem[] = "INSERT INTO items (report_id, position, group_class, subject, item_key, received_ms, state,"
                           " colour, red, result, addition, solution_type, method, param, solution_label)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char kAddDay[] = "INSERT INTO report_days (day, shard, reports, red_reports) VALUES (?1, 0, 1, ?2)"
                       " ON CONFLICT (day, shard) DO UPDATE SET reports = reports + 1, red_reports = red_reports + ?2";
const char kAddRedDay[] = "INSERT INTO red_item_days (day, item_key, shard, reports) VALUES (?1, ?2, 0, 1)"
                          " ON CONFLICT (day, item_key, shard) DO UPDATE SET reports = reports + 1";

const char kDeleteItems[] = "DELETE FROM items WHERE report_id IN (SELECT id FROM reports WHERE received_ms < ?1)";
const char kDeleteReports[] = "DELETE FROM reports WHERE received_ms < ?1";
const char kDeleteViews[] = "DELETE FROM report_views WHERE viewed_ms < ?1";
const char kDeleteDays[] = "DELETE FROM report_days WHERE day <= ?1";
// The day that the cut falls in is summed again from what is left of it: its red items' counts first into
// rows of shard -1, which replace the day's rows once the older ones are gone.
const char kRecountDay[] = "INSERT INTO report_days (day, shard, reports, red_reports) SELECT ?1, 0, COUNT(*),"
                           " SUM(CASE WHEN red_count > 0 THEN 1 ELSE 0 END) FROM reports"
                           " WHERE received_ms >= ?2 AND received_ms < ?3 HAVING COUNT(*) > 0";
const char kRecountRedDay[] = "INSERT INTO red_item_days (day, item_key, shard, reports) SELECT ?1, k.item_key, -1, "
                              OMNI_RED_IN_PART " FROM (SELECT DISTINCT item_key FROM red_item_days WHERE day = ?1) k";
const char kDeleteRedDays[] = "DELETE FROM red_item_days WHERE day <= ?1 AND (shard <> -1 OR reports = 0)";
const char kKeepRedRecount[] = "UPDATE red_item_days SET shard = 0 WHERE day = ?1 AND shard = -1";

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
    item.key = Text(s, 3);
    item.state = Text(s, 4);
    item.colour = Text(s, 5);
    item.red = sqlite3_column_int(s, 6) != 0;
    item.result = Text(s, 7);
    item.addition = Text(s, 8);
    item.solutionType = Text(s, 9);
    item.method = Text(s, 10);
    item.param = Text(s, 11);
    item.solutionLabel = Text(s, 12);
    return item;
}

void BindWindow(sqlite3_stmt* s, const ListWindow& window) {
    sqlite3_bind_int64(s, 1, window.low);
    sqlite3_bind_int64(s, 2, window.high);
    sqlite3_bind_int64(s, 3, window.cursorMs);
    sqlite3_bind_int64(s, 4, window.cursorId);
}

std::string JsonNumbers(const std::vector<ReportRow>& rows) {
    std::string json = "[";
    for (const ReportRow& row : rows) json += (json.size() > 1 ? "," : "") + std::to_string(row.id);
    return json + "]";
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

sqlite3_stmt* SqliteStorage::Prepared(const char* sql) {
    unique_statement& slot = statements_[sql];
    if (!slot) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(db_.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
            Fail(db_.get(), "prepare");
        slot.reset(s);
    }
    return slot.get();
}

void SqliteStorage::Step(sqlite3_stmt* s, const char* what) {
    Use use(s);
    if (sqlite3_step(s) != SQLITE_DONE) Fail(db_.get(), what);
}

int64_t SqliteStorage::Number(const char* sql, const std::function<void(sqlite3_stmt*)>& bind) {
    Use use(Prepared(sql));
    bind(use.get());
    if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), sql);
    return sqlite3_column_int64(use.get(), 0);
}

std::optional<int64_t> SqliteStorage::Add(const NewReport& report, int64_t dailyQuotaBytes) {
    std::lock_guard<std::mutex> hold(lock_);
    const int64_t day = report.receivedMs / kDayMs;
    try {
        return InTransaction([&]() -> std::optional<int64_t> {
            if (dailyQuotaBytes > 0) {
                Use use(Prepared(kAddBytes));
                BindText(use.get(), 1, report.sender);
                sqlite3_bind_int64(use.get(), 2, day);
                sqlite3_bind_int64(use.get(), 3, StoredBytes(report));
                if (sqlite3_step(use.get()) != SQLITE_ROW) Fail(db_.get(), "count the sender's bytes");
                if (sqlite3_column_int64(use.get(), 0) > dailyQuotaBytes) throw std::out_of_range("quota");
            }
            int red = 0;
            for (const StoredItem& item : report.items) red += item.red ? 1 : 0;
            sqlite3_stmt* s = Prepared(kInsertReport);
            sqlite3_bind_int64(s, 1, report.receivedMs);
            BindText(s, 2, report.sender);
            BindText(s, 3, report.ticket);
            BindText(s, 4, report.lang);
            BindText(s, 5, report.xml);
            BindText(s, 6, report.ieAddons);
            sqlite3_bind_int(s, 7, static_cast<int>(report.items.size()));
            sqlite3_bind_int(s, 8, red);
            Step(s, "insert report");
            const int64_t id = sqlite3_last_insert_rowid(db_.get());
            sqlite3_stmt* item = Prepared(kInsertItem);
            for (const StoredItem& it : report.items) {
                sqlite3_bind_int64(item, 1, id);
                sqlite3_bind_int(item, 2, it.position);
                BindText(item, 3, it.group);
                BindText(item, 4, it.subject);
                BindText(item, 5, it.key);
                sqlite3_bind_int64(item, 6, report.receivedMs);
                BindText(item, 7, it.state);
                BindText(item, 8, it.colour);
                sqlite3_bind_int(item, 9, it.red ? 1 : 0);
                BindText(item, 10, it.result);
                BindText(item, 11, it.addition);
                BindText(item, 12, it.solutionType);
                BindText(item, 13, it.method);
                BindText(item, 14, it.param);
                BindText(item, 15, it.solutionLabel);
                Step(item, "insert item");
            }
            sqlite3_stmt* days = Prepared(kAddDay);
            sqlite3_bind_int64(days, 1, day);
            sqlite3_bind_int(days, 2, red > 0 ? 1 : 0);
            Step(days, "count the day");
            sqlite3_stmt* redDays = Prepared(kAddRedDay);
            for (const std::string& key : DistinctRedKeys(report.items)) {
                sqlite3_bind_int64(redDays, 1, day);
                BindText(redDays, 2, key);
                Step(redDays, "count the day's red items");
            }
            return id;
        });
    } catch (const std::out_of_range&) {
        return std::nullopt;  // over the quota: rolled back, nothing counted
    }
}

std::vector<ReportRow> SqliteStorage::List(const ReportFilter& filter) {
    std::lock_guard<std::mutex> hold(lock_);
    const char* sql = filter.ticket ? kListByTicket : filter.red ? kListByRed : kListByTime;
    std::vector<ReportRow> rows;
    {
        Use use(Prepared(sql));
        sqlite3_stmt* s = use.get();
        BindWindow(s, WindowOf(filter));
        sqlite3_bind_int(s, 5, filter.limit);
        sqlite3_bind_int(s, 6, filter.offset);
        if (filter.ticket) BindText(s, 7, *filter.ticket);
        if (filter.red) BindText(s, 8, *filter.red);
        int stepped;
        while ((stepped = sqlite3_step(s)) == SQLITE_ROW) rows.push_back(RowOf(s));
        if (stepped != SQLITE_DONE) Fail(db_.get(), "list");
    }
    if (filter.withRedKeys) FillRedKeys(rows);
    return rows;
}

void SqliteStorage::FillRedKeys(std::vector<ReportRow>& rows) {
    if (rows.empty()) return;
    std::map<int64_t, ReportRow*> byId;
    for (ReportRow& row : rows) byId[row.id] = &row;
    Use use(Prepared(kRedKeysOf));
    BindText(use.get(), 1, JsonNumbers(rows));
    int stepped;
    while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW)
        byId.at(sqlite3_column_int64(use.get(), 0))->redKeys.push_back(Text(use.get(), 1));
    if (stepped != SQLITE_DONE) Fail(db_.get(), "red keys");
}

int64_t SqliteStorage::CountReports(const ReportFilter& filter) {
    std::lock_guard<std::mutex> hold(lock_);
    if (filter.ticket)
        return Number(kCountTicket, [&](sqlite3_stmt* s) {
            BindText(s, 1, *filter.ticket);
            sqlite3_bind_int64(s, 2, filter.fromMs.value_or(std::numeric_limits<int64_t>::min()));
            sqlite3_bind_int64(s, 3, filter.toMs.value_or(std::numeric_limits<int64_t>::max()));
            BindOptional(s, 4, filter.red);
        });
    const PeriodParts parts = SplitByDays(filter.fromMs, filter.toMs);
    auto bind = [&](int64_t low, int64_t high) {
        return [&filter, low, high](sqlite3_stmt* s) {
            sqlite3_bind_int64(s, 1, low);
            sqlite3_bind_int64(s, 2, high);
            if (filter.red) BindText(s, 3, *filter.red);
        };
    };
    int64_t total = 0;
    if (parts.firstDay < parts.endDay)
        total += Number(filter.red ? kCountRedDays : kCountDays, bind(parts.firstDay, parts.endDay));
    for (const auto& part : {parts.before, parts.after})
        if (part) total += Number(filter.red ? kCountRedPart : kCountPart, bind(part->first, part->second));
    return total;
}

std::optional<ReportDetail> SqliteStorage::Find(int64_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    ReportDetail detail;
    {
        Use use(Prepared(kFind));
        sqlite3_stmt* s = use.get();
        sqlite3_bind_int64(s, 1, id);
        const int stepped = sqlite3_step(s);
        if (stepped == SQLITE_DONE) return std::nullopt;
        if (stepped != SQLITE_ROW) Fail(db_.get(), "find");
        detail = ReportDetail{RowOf(s), Text(s, 7), Text(s, 8), {}};
    }
    Use use(Prepared(kFindItems));
    sqlite3_bind_int64(use.get(), 1, id);
    int stepped;
    while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW) detail.items.push_back(ItemOf(use.get()));
    if (stepped != SQLITE_DONE) Fail(db_.get(), "find items");
    return detail;
}

std::vector<RedCount> SqliteStorage::RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) {
    std::lock_guard<std::mutex> hold(lock_);
    const PeriodParts parts = SplitByDays(fromMs, toMs);
    std::map<std::string, int64_t> counts;
    // The whole days' statement takes ?1 and ?2, a part's ?2 and ?3.
    auto add = [&](const char* sql, int64_t low, int64_t high) {
        Use use(Prepared(sql));
        const int first = sql == kSummaryPart ? 2 : 1;
        sqlite3_bind_int64(use.get(), first, low);
        sqlite3_bind_int64(use.get(), first + 1, high);
        int stepped;
        while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW)
            counts[Text(use.get(), 0)] += sqlite3_column_int64(use.get(), 1);
        if (stepped != SQLITE_DONE) Fail(db_.get(), "summary");
    };
    if (parts.firstDay < parts.endDay) add(kSummaryDays, parts.firstDay, parts.endDay);
    for (const auto& part : {parts.before, parts.after})
        if (part) add(kSummaryPart, part->first, part->second);
    return MostFirst(counts);
}

std::vector<DayCount> SqliteStorage::Days(int64_t fromDay, int64_t toDay) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kDays));
    sqlite3_bind_int64(use.get(), 1, fromDay);
    sqlite3_bind_int64(use.get(), 2, toDay);
    std::vector<DayCount> days;
    int stepped;
    while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW)
        days.push_back({sqlite3_column_int64(use.get(), 0), sqlite3_column_int64(use.get(), 1),
                        sqlite3_column_int64(use.get(), 2)});
    if (stepped != SQLITE_DONE) Fail(db_.get(), "days");
    return days;
}

TicketReports SqliteStorage::Ticket(const std::string& ticket, int limit) {
    std::lock_guard<std::mutex> hold(lock_);
    TicketReports found;
    found.total = Number(kTicketCount, [&](sqlite3_stmt* s) { BindText(s, 1, ticket); });
    std::vector<ReportRow> rows;
    {
        Use use(Prepared(kTicketReports));
        BindText(use.get(), 1, ticket);
        sqlite3_bind_int(use.get(), 2, limit);
        int stepped;
        while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW) rows.push_back(RowOf(use.get()));
        if (stepped != SQLITE_DONE) Fail(db_.get(), "ticket");
    }
    std::reverse(rows.begin(), rows.end());
    std::map<int64_t, size_t> index;
    for (ReportRow& row : rows) {
        index[row.id] = found.reports.size();
        found.reports.push_back({std::move(row), {}});
    }
    if (found.reports.empty()) return found;
    Use use(Prepared(kItemsOf));
    std::vector<ReportRow> ids;
    for (const TicketReport& report : found.reports) ids.push_back(report.row);
    BindText(use.get(), 1, JsonNumbers(ids));
    int stepped;
    while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW)
        found.reports[index.at(sqlite3_column_int64(use.get(), 0))].items.emplace_back(
            Text(use.get(), 1), sqlite3_column_int(use.get(), 2) != 0);
    if (stepped != SQLITE_DONE) Fail(db_.get(), "ticket items");
    return found;
}

std::vector<ReportRow> SqliteStorage::RedTickets(const ReportFilter& filter) {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<ReportRow> rows;
    {
        Use use(Prepared(filter.red ? kRedTicketsByItem : kRedTickets));
        sqlite3_stmt* s = use.get();
        BindWindow(s, WindowOf(filter));
        sqlite3_bind_int(s, 5, filter.limit);
        sqlite3_bind_int64(s, 6, filter.toMs ? *filter.toMs - 1 : std::numeric_limits<int64_t>::max());
        if (filter.red) BindText(s, 7, *filter.red);
        int stepped;
        while ((stepped = sqlite3_step(s)) == SQLITE_ROW) rows.push_back(RowOf(s));
        if (stepped != SQLITE_DONE) Fail(db_.get(), "red tickets");
    }
    FillRedKeys(rows);
    return rows;
}

// The file's write lock takes turns between services sharing it, so none needs to wait for another's.
std::optional<int64_t> SqliteStorage::DeleteBefore(int64_t ms) {
    std::lock_guard<std::mutex> hold(lock_);
    const int64_t day = ms / kDayMs;
    auto run = [this](const char* sql, std::initializer_list<int64_t> values) {
        Use use(Prepared(sql));
        int index = 0;
        for (int64_t value : values) sqlite3_bind_int64(use.get(), ++index, value);
        if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "delete");
        return static_cast<int64_t>(sqlite3_changes(db_.get()));
    };
    return InTransaction([&]() -> std::optional<int64_t> {
        run(kDeleteItems, {ms});
        const int64_t removed = run(kDeleteReports, {ms});
        run(kDeleteViews, {ms});
        run(kRecountRedDay, {day, ms, (day + 1) * kDayMs});
        run(kDeleteRedDays, {day});
        run(kKeepRedRecount, {day});
        run(kDeleteDays, {day});
        run(kRecountDay, {day, ms, (day + 1) * kDayMs});
        return removed;
    });
}

int64_t SqliteStorage::Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return Number(kCount, [](sqlite3_stmt*) {});
}

}  // namespace omni::desk
