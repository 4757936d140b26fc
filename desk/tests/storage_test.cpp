// The storage table, run against every implementation: SQLite in a scratch file, and PostgreSQL at the
// address in OMNI_DESK_TEST_POSTGRES (tests/with-postgres.sh starts a server of its own for it).
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>
#include <pqxx/connection>
#include <pqxx/result>
#include <pqxx/transaction>

#include "report_pages.h"
#include "report_xml.h"
#include "storage.h"

namespace omni::desk {
namespace {

constexpr int64_t kDay = 24LL * 3600 * 1000;
constexpr int64_t kMonday = 1796601600000LL;  // 2026-12-07T00:00:00Z
#define kAllTables                                                                                                 \
    "items, reports, sessions, rate_buckets, sender_days, report_days, red_item_days, accounts, report_views,"     \
    " desk_schema"

StoredItem Item(int position, const std::string& subject, bool red) {
    StoredItem item;
    item.position = position;
    item.group = position == 0 ? "basic" : "etcchecklist";
    item.subject = subject;
    item.key = item.group + "/" + subject;
    item.colour = red ? "FF0000" : "000000";
    item.red = red;
    item.result = red ? "Settings modification needed" : "Normal";
    item.method = red ? "Modify" : "";
    item.param = red ? "IePopop" : "";
    return item;
}

NewReport Report(int64_t receivedMs, const std::string& ticket, std::vector<StoredItem> items) {
    NewReport report;
    report.receivedMs = receivedMs;
    report.sender = "127.0.0.1";
    report.ticket = ticket;
    report.lang = "eng";
    report.xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><diagnosis><group class=\"basic\"/></diagnosis>";
    report.ieAddons = "";
    report.items = std::move(items);
    return report;
}

std::string Scratch() {
    static int n = 0;
    const auto folder = std::filesystem::temp_directory_path() / ("desk-storage-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return (folder / ("store" + std::to_string(++n) + ".sqlite")).string();
}

// The previous schema, version 2, exactly as its services made it: the scripts of versions 1 and 2.
const char kSqliteVersion2[] = R"(
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
)";
const char kPostgresVersion2[] = R"(
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
)";

class StorageTable : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (std::string(GetParam()) == "Sqlite") {
            address_ = Scratch();
        } else {
            const char* postgres = std::getenv("OMNI_DESK_TEST_POSTGRES");
            ASSERT_TRUE(postgres && *postgres) << "OMNI_DESK_TEST_POSTGRES is not set: run through tests/with-postgres.sh";
            address_ = postgres;
            pqxx::connection connection(address_);
            pqxx::work drop(connection);
            drop.exec("DROP TABLE IF EXISTS " kAllTables);
            drop.commit();
        }
        storage_ = OpenStorage(address_);
    }
    void TearDown() override {
        storage_.reset();
        if (std::string(GetParam()) != "Sqlite") return;
        std::error_code ignored;
        for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(address_ + end, ignored);
        std::filesystem::remove(std::filesystem::path(address_).parent_path(), ignored);  // once empty
    }

    // Monday to Thursday, one report a day at noon: tickets "A", "A", "B", "" and red items as listed.
    std::vector<int64_t> AddWeek() {
        std::vector<int64_t> ids;
        ids.push_back(*storage_->Add(Report(kMonday + kDay / 2, "A", {Item(0, "Windows", false), Item(1, "Pop-up", true)})));
        ids.push_back(*storage_->Add(Report(kMonday + kDay * 3 / 2, "A", {Item(0, "Windows", true), Item(1, "Pop-up", true)})));
        ids.push_back(*storage_->Add(Report(2 * kDay + kMonday + kDay / 2, "B", {Item(0, "Windows", false), Item(1, "Pop-up", false)})));
        ids.push_back(*storage_->Add(Report(3 * kDay + kMonday + kDay / 2, "", {Item(0, "Windows", false), Item(1, "Pop-up", true)})));
        return ids;
    }
    bool Sqlite() const { return std::string(GetParam()) == "Sqlite"; }
    // SQL straight to the database, as an older service or a database tool would run it.
    void RawSql(const std::string& sql) {
        if (Sqlite()) {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(address_.c_str(), &db), SQLITE_OK);
            char* error = nullptr;
            const int done = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
            sqlite3_close(db);
            ASSERT_EQ(done, SQLITE_OK) << (error ? error : "");
        } else {
            pqxx::connection connection(address_);
            pqxx::work work(connection);
            work.exec(sql);
            work.commit();
        }
    }

    // The first column of a query's rows, joined by "|".
    std::string RawText(const std::string& sql) {
        std::string text;
        if (Sqlite()) {
            sqlite3* db = nullptr;
            EXPECT_EQ(sqlite3_open(address_.c_str(), &db), SQLITE_OK);
            sqlite3_exec(db, sql.c_str(), [](void* out, int, char** values, char**) {
                std::string& joined = *static_cast<std::string*>(out);
                joined += (joined.empty() ? "" : "|") + std::string(values[0] ? values[0] : "");
                return 0;
            }, &text, nullptr);
            sqlite3_close(db);
        } else {
            pqxx::connection connection(address_);
            pqxx::work work(connection);
            for (const auto& row : work.exec(sql)) text += (text.empty() ? "" : "|") + row[0].as<std::string>();
        }
        return text;
    }
    // A report and its items as a service of the previous schema stored them: items without keys.
    void InsertAsVersion2(int64_t receivedMs, const std::string& ticket, const std::string& lang, const std::string& xml) {
        auto quoted = [](const std::string& text) {
            std::string out = "'";
            for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
            return out + "'";
        };
        const ReadReport read = ReadReportXml(xml);
        int red = 0;
        for (const StoredItem& item : read.items) red += item.red;
        std::string sql = "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count)"
                          " VALUES (" + std::to_string(receivedMs) + ", '127.0.0.1', " + quoted(ticket) + ", " +
                          quoted(lang) + ", " + quoted(xml) + ", '', " + std::to_string(read.items.size()) + ", " +
                          std::to_string(red) + ");";
        for (const StoredItem& item : read.items)
            sql += "INSERT INTO items (report_id, position, group_class, subject, colour, red, result, method, param,"
                   " state, addition, solution_type, solution_label) VALUES ((SELECT MAX(id) FROM reports), " +
                   std::to_string(item.position) + ", " + quoted(item.group) + ", " + quoted(item.subject) + ", " +
                   quoted(item.colour) + ", " + (item.red ? "1" : "0") + ", " + quoted(item.result) + ", " +
                   quoted(item.method) + ", " + quoted(item.param) + ", " + quoted(item.state) + ", " +
                   quoted(item.addition) + ", " + quoted(item.solutionType) + ", " + quoted(item.solutionLabel) + ");";
        RawSql(sql);
    }

    std::string address_;
    std::unique_ptr<Storage> storage_;
};

TEST_P(StorageTable, KeepsEveryFieldByteForByte) {
    NewReport report = Report(kMonday + 1234, "티켓 7", {Item(0, "윈도우 운영체제", true), Item(1, "A & <b>", false)});
    report.lang = "kor";
    report.sender = "::1";
    report.xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<diagnosis><group class=\"basic\"><item>"
                 "<subject>윈도우 100% + \"x\" 'y'</subject></item></group></diagnosis>\n";
    report.ieAddons = "1. 툴바 +x\r\n2. 100%\t%41";
    report.items[0].state = "Windows 7\r\nService Pack 1";
    report.items[0].addition = "추가 <i>";
    report.items[0].solutionType = "method";
    report.items[0].solutionLabel = "Modify Settings";
    const int64_t id = *storage_->Add(report);
    const std::optional<ReportDetail> found = storage_->Find(id);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->xml, report.xml);
    EXPECT_EQ(found->ieAddons, report.ieAddons);
    EXPECT_EQ(found->row.id, id);
    EXPECT_EQ(found->row.receivedMs, kMonday + 1234);
    EXPECT_EQ(found->row.ticket, "티켓 7");
    EXPECT_EQ(found->row.lang, "kor");
    EXPECT_EQ(found->row.sender, "::1");
    EXPECT_EQ(found->row.items, 2);
    EXPECT_EQ(found->row.red, 1);
    ASSERT_EQ(found->items.size(), 2u);
    const StoredItem& first = found->items[0];
    EXPECT_EQ(first.subject, "윈도우 운영체제");
    EXPECT_EQ(first.state, "Windows 7\r\nService Pack 1");
    EXPECT_EQ(first.addition, "추가 <i>");
    EXPECT_EQ(first.solutionType, "method");
    EXPECT_EQ(first.method, "Modify");
    EXPECT_EQ(first.param, "IePopop");
    EXPECT_EQ(first.solutionLabel, "Modify Settings");
    EXPECT_TRUE(first.red);
    EXPECT_EQ(found->items[1].subject, "A & <b>");
    EXPECT_FALSE(storage_->Find(id + 1));
    // Another connection (a restarted service) reads the same.
    EXPECT_EQ(OpenStorage(address_)->Find(id)->xml, report.xml);
}

struct ListRow {
    const char* name;
    ReportFilter filter;
    std::vector<int> expected;  // indexes into the week's ids, in the answer's order
};

TEST_P(StorageTable, ListFiltersNewestFirst) {
    const std::vector<int64_t> ids = AddWeek();
    auto filter = [](std::optional<std::string> ticket, std::optional<int64_t> from, std::optional<int64_t> to,
                     std::optional<std::string> red, int limit = 100, int offset = 0) {
        return ReportFilter{ticket, from, to, red, limit, offset};
    };
    const ListRow rows[] = {
        {"Everything", filter({}, {}, {}, {}), {3, 2, 1, 0}},
        {"Ticket", filter("A", {}, {}, {}), {1, 0}},
        {"TicketNobodyHas", filter("C", {}, {}, {}), {}},
        {"QuotedTicketIsOnlyText", filter("A' OR '1'='1", {}, {}, {}), {}},
        {"FromIsInclusive", filter({}, kMonday + kDay * 3 / 2, {}, {}), {3, 2, 1}},
        {"ToIsExclusive", filter({}, {}, kMonday + kDay * 3 / 2, {}), {0}},
        {"Period", filter({}, kMonday + kDay, kMonday + 3 * kDay, {}), {2, 1}},
        {"RedItem", filter({}, {}, {}, "etcchecklist/Pop-up"), {3, 1, 0}},
        {"RedItemOnlyWhenRed", filter({}, {}, {}, "basic/Windows"), {1}},
        {"RedItemNobodyHas", filter({}, {}, {}, "basic/Flash"), {}},
        {"SubjectIsNoKey", filter({}, {}, {}, "Pop-up"), {}},
        {"TicketAndRed", filter("A", {}, {}, "basic/Windows"), {1}},
        {"AllFilters", filter("A", kMonday, kMonday + kDay, "etcchecklist/Pop-up"), {0}},
        {"Limit", filter({}, {}, {}, {}, 2), {3, 2}},
        {"Offset", filter({}, {}, {}, {}, 2, 2), {1, 0}},
        {"OffsetPastTheEnd", filter({}, {}, {}, {}, 2, 4), {}},
    };
    for (const ListRow& row : rows) {
        std::vector<int64_t> expected, got;
        for (int index : row.expected) expected.push_back(ids[index]);
        for (const ReportRow& report : storage_->List(row.filter)) got.push_back(report.id);
        EXPECT_EQ(got, expected) << row.name;
        // The total counts the filter's reports whatever the page.
        ReportFilter whole = row.filter;
        whole.limit = 10000;
        whole.offset = 0;
        EXPECT_EQ(storage_->CountReports(row.filter), static_cast<int64_t>(storage_->List(whole).size())) << row.name;
    }
    const std::vector<ReportRow> all = storage_->List({});
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2].items, 2);
    EXPECT_EQ(all[2].red, 2);
    EXPECT_EQ(all[2].ticket, "A");
}

TEST_P(StorageTable, SummaryCountsReportsOnWhichAnItemWasRed) {
    AddWeek();
    auto pairs = [](const std::vector<RedCount>& counts) {
        std::vector<std::pair<std::string, int64_t>> out;
        for (const RedCount& c : counts) out.emplace_back(c.key, c.reports);
        return out;
    };
    using Pairs = std::vector<std::pair<std::string, int64_t>>;
    EXPECT_EQ(pairs(storage_->RedSummary({}, {})), (Pairs{{"etcchecklist/Pop-up", 3}, {"basic/Windows", 1}}));
    EXPECT_EQ(pairs(storage_->RedSummary(kMonday + kDay, {})), (Pairs{{"etcchecklist/Pop-up", 2}, {"basic/Windows", 1}}));
    EXPECT_EQ(pairs(storage_->RedSummary({}, kMonday + kDay)), (Pairs{{"etcchecklist/Pop-up", 1}}));
    // Parts of days count as well as whole ones: Tuesday noon to Thursday 06:00 holds Tuesday's and Wednesday's.
    EXPECT_EQ(pairs(storage_->RedSummary(kMonday + kDay * 3 / 2, kMonday + 3 * kDay + kDay / 4)),
              (Pairs{{"basic/Windows", 1}, {"etcchecklist/Pop-up", 1}}));
    EXPECT_EQ(pairs(storage_->RedSummary(kMonday + kDay / 4, kMonday + kDay * 3 / 4)), (Pairs{{"etcchecklist/Pop-up", 1}}));
    EXPECT_EQ(pairs(storage_->RedSummary(kMonday + 2 * kDay, kMonday + 3 * kDay)), Pairs{});
}

TEST_P(StorageTable, RetentionDeletesOlderReportsWithTheirItems) {
    const std::vector<int64_t> ids = AddWeek();
    EXPECT_EQ(storage_->DeleteBefore(kMonday + 2 * kDay), 2);
    EXPECT_EQ(storage_->Count(), 2);
    EXPECT_FALSE(storage_->Find(ids[0]));
    EXPECT_TRUE(storage_->Find(ids[2]));
    EXPECT_EQ(storage_->RedSummary({}, {}).size(), 1u);  // Windows was red only on a deleted report
    EXPECT_EQ(storage_->DeleteBefore(kMonday), 0);
}

// Two items in one place break the items' key after the report row is written: nothing stays.
TEST_P(StorageTable, FailedAddLeavesNothingHalfStored) {
    AddWeek();
    EXPECT_ANY_THROW(storage_->Add(Report(kMonday, "broken", {Item(0, "Windows", true), Item(0, "Again", true)})));
    EXPECT_EQ(storage_->Count(), 4);
    EXPECT_TRUE(storage_->List(ReportFilter{std::string("broken"), {}, {}, {}, 100, 0}).empty());
    EXPECT_TRUE(storage_->List(ReportFilter{{}, {}, {}, std::string("etcchecklist/Again"), 100, 0}).empty());
    EXPECT_EQ(storage_->CountReports({}), 4);
    // The storage still works after the failure.
    EXPECT_GT(*storage_->Add(Report(kMonday, "after", {})), 0);
    EXPECT_EQ(storage_->Count(), 5);
}

// A second page starts after the first one's last report, so reports that arrive between the pages move nothing.
TEST_P(StorageTable, PagesWalkTheListAsOneAnswerWould) {
    const std::vector<int64_t> ids = AddWeek();
    for (int size : {1, 3, 4, 10}) {
        ReportFilter filter;
        filter.limit = 3;
        filter.offset = 1;
        ReportPages pages(*storage_, filter, size);
        std::vector<int64_t> got;
        for (std::vector<ReportRow> page; !pages.done() && !(page = pages.Next()).empty();)
            for (const ReportRow& row : page) got.push_back(row.id);
        EXPECT_EQ(got, (std::vector<int64_t>{ids[2], ids[1], ids[0]})) << "pages of " << size;
    }
    ReportFilter red;
    red.red = "etcchecklist/Pop-up";
    ReportPages pages(*storage_, red, 1);
    std::vector<ReportRow> first = pages.Next();
    storage_->Add(Report(kMonday + 4 * kDay, "newer", {Item(0, "Pop-up", true)}));
    std::vector<int64_t> got = {first.at(0).id};
    for (std::vector<ReportRow> page; !(page = pages.Next()).empty();) got.push_back(page.at(0).id);
    EXPECT_EQ(got, (std::vector<int64_t>{ids[3], ids[1], ids[0]}));
}

// What several services share: another connection (another service) sees the same sessions and buckets.
TEST_P(StorageTable, SessionsLastWhileUsedAndEndWhenClosedOrIdle) {
    const int64_t idle = 60000;
    std::unique_ptr<Storage> other = OpenStorage(address_);
    storage_->OpenSession("hash-1", "desk", kMonday);
    storage_->OpenSession("hash-2", "desk", kMonday);
    EXPECT_EQ(other->UseSession("hash-1", kMonday + 50000, idle), std::optional<std::string>("desk"));
    EXPECT_EQ(storage_->UseSession("hash-1", kMonday + 100000, idle), std::optional<std::string>("desk"));  // used at 50 s
    EXPECT_EQ(storage_->UseSession("hash-2", kMonday + 100000, idle), std::nullopt);  // unused for 100 s
    EXPECT_EQ(storage_->UseSession("unknown", kMonday, idle), std::nullopt);
    other->CloseSession("hash-1");
    EXPECT_EQ(storage_->UseSession("hash-1", kMonday + 100001, idle), std::nullopt);
    storage_->OpenSession("hash-3", "desk", kMonday);
    storage_->Tidy(kMonday + 2 * idle, idle);
    EXPECT_EQ(storage_->UseSession("hash-3", kMonday + 1, idle), std::nullopt);  // gone, not only idle
}

TEST_P(StorageTable, BucketsAllowTheirRateAndRefillWithinAMinute) {
    std::unique_ptr<Storage> other = OpenStorage(address_);
    std::vector<bool> taken;
    for (int i = 0; i < 4; ++i) taken.push_back((i % 2 ? other : storage_)->TakeToken("post 10.0.0.1", 3, kMonday));
    EXPECT_EQ(taken, (std::vector<bool>{true, true, true, false}));
    EXPECT_FALSE(storage_->HasToken("post 10.0.0.1", 3, kMonday + 1000));
    EXPECT_TRUE(storage_->HasToken("post 10.0.0.2", 3, kMonday));
    EXPECT_TRUE(storage_->TakeToken("post 10.0.0.2", 3, kMonday));
    // A third of a minute gives back one of three.
    EXPECT_TRUE(other->HasToken("post 10.0.0.1", 3, kMonday + 20000));
    EXPECT_TRUE(storage_->TakeToken("post 10.0.0.1", 3, kMonday + 20000));
    EXPECT_FALSE(storage_->TakeToken("post 10.0.0.1", 3, kMonday + 20000));
    // A clock that goes back gives nothing back.
    EXPECT_FALSE(storage_->TakeToken("post 10.0.0.1", 3, kMonday));
    storage_->Tidy(kMonday + 90000, 1);
    EXPECT_TRUE(storage_->TakeToken("post 10.0.0.1", 3, kMonday + 90000));
}

TEST_P(StorageTable, QuotaRefusesWhatPassesTheSendersBytesOfTheDay) {
    NewReport report = Report(kMonday + 1000, "q", {Item(0, "Windows", true)});
    const int64_t quota = StoredBytes(report) * 5 / 2;
    EXPECT_TRUE(storage_->Add(report, quota));
    EXPECT_TRUE(storage_->Add(report, quota));
    EXPECT_EQ(storage_->Add(report, quota), std::nullopt);
    EXPECT_EQ(storage_->Count(), 2);
    EXPECT_TRUE(storage_->List(ReportFilter{{}, {}, {}, std::string("basic/Windows"), 100, 0, {}}).size() == 2);
    EXPECT_EQ(storage_->CountReports({}), 2);  // what the quota refused is not counted either
    NewReport other = report;
    other.sender = "10.0.0.9";
    EXPECT_TRUE(storage_->Add(other, quota));
    NewReport tomorrow = report;
    tomorrow.receivedMs += kDay;
    EXPECT_TRUE(storage_->Add(tomorrow, quota));
    EXPECT_TRUE(storage_->Add(report, 0));  // no quota
}

// A database of the first schema (no version, items without their texts) is brought up to date at opening,
// the items' texts read again from each report's XML.
TEST_P(StorageTable, OpensADatabaseOfTheFirstSchemaAndFillsTheItemsTexts) {
    storage_.reset();
    if (Sqlite()) {
        std::error_code ignored;
        for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(address_ + end, ignored);
    } else {
        RawSql("DROP TABLE IF EXISTS " kAllTables);
    }
    const std::string id = Sqlite() ? "INTEGER PRIMARY KEY AUTOINCREMENT" : "BIGSERIAL PRIMARY KEY";
    RawSql("CREATE TABLE reports (id " + id + ", received_ms BIGINT NOT NULL, sender TEXT NOT NULL, ticket TEXT NOT NULL,"
           " lang TEXT NOT NULL, xml TEXT NOT NULL, ie_addons TEXT NOT NULL, item_count INTEGER NOT NULL,"
           " red_count INTEGER NOT NULL);"
           "CREATE TABLE items (report_id BIGINT NOT NULL REFERENCES reports (id) ON DELETE CASCADE,"
           " position INTEGER NOT NULL, group_class TEXT NOT NULL, subject TEXT NOT NULL, colour TEXT NOT NULL,"
           " red INTEGER NOT NULL, result TEXT NOT NULL, method TEXT NOT NULL, param TEXT NOT NULL,"
           " PRIMARY KEY (report_id, position));"
           "INSERT INTO reports (received_ms, sender, ticket, lang, xml, ie_addons, item_count, red_count) VALUES"
           " (1796601600000, '127.0.0.1', 'old', 'eng', '<diagnosis><group class=\"basic\"><item><subject>Flash</subject>"
           "<lenvmsg>Version(10)</lenvmsg><resultcolor>FF0000</resultcolor><resultmsg>Old</resultmsg>"
           "<solutionmsg type=\"method\" value=\"InstallOcx\" param=\"F.ocx\">Install</solutionmsg>"
           "<addition>more</addition></item></group></diagnosis>', '', 1, 1);"
           "INSERT INTO items VALUES (1, 0, 'basic', 'Flash', 'FF0000', 1, 'Old', 'InstallOcx', 'F.ocx');");
    storage_ = OpenStorage(address_);
    EXPECT_EQ(storage_->SchemaVersion(), kSchemaVersion);
    const std::optional<ReportDetail> old = storage_->Find(1);
    ASSERT_TRUE(old);
    ASSERT_EQ(old->items.size(), 1u);
    EXPECT_EQ(old->items[0].state, "Version(10)");
    EXPECT_EQ(old->items[0].addition, "more");
    EXPECT_EQ(old->items[0].solutionType, "method");
    EXPECT_EQ(old->items[0].solutionLabel, "Install");
    EXPECT_EQ(old->items[0].method, "InstallOcx");
    EXPECT_GT(*storage_->Add(Report(kMonday, "new", {Item(0, "Windows", true)})), 1);
    EXPECT_EQ(OpenStorage(address_)->Count(), 2);  // opened again: nothing more to migrate
    // A database that a newer service migrated further is left alone.
    storage_.reset();
    RawSql(Sqlite() ? "PRAGMA user_version = 99" : "UPDATE desk_schema SET version = 99");
    EXPECT_ANY_THROW(OpenStorage(address_));
}

// A cut inside a day: the day's sums are made again from what is left of it.
TEST_P(StorageTable, RetentionInsideADayKeepsItsSumsTrue) {
    AddWeek();
    storage_->Add(Report(kMonday + kDay + kDay * 5 / 6, "late", {Item(0, "Windows", true)}));  // Tuesday 20:00
    EXPECT_EQ(storage_->DeleteBefore(kMonday + kDay + kDay * 3 / 4), 2);                  // Tuesday 18:00
    EXPECT_EQ(storage_->CountReports({}), 3);
    ReportFilter windows;
    windows.red = "basic/Windows";
    EXPECT_EQ(storage_->CountReports(windows), 1);
    std::vector<std::tuple<int64_t, int64_t, int64_t>> days;
    for (const DayCount& day : storage_->Days(kMonday / kDay, kMonday / kDay + 7))
        days.emplace_back(day.day - kMonday / kDay, day.reports, day.red);
    EXPECT_EQ(days, (std::vector<std::tuple<int64_t, int64_t, int64_t>>{{1, 1, 1}, {2, 1, 0}, {3, 1, 1}}));
    std::vector<RedCount> summary = storage_->RedSummary({}, {});
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0].reports + summary[1].reports, 2);
}

TEST_P(StorageTable, DaysCountReportsAndThoseWithARedItem) {
    AddWeek();
    std::vector<std::tuple<int64_t, int64_t, int64_t>> days;
    for (const DayCount& day : storage_->Days(kMonday / kDay + 1, kMonday / kDay + 30))
        days.emplace_back(day.day - kMonday / kDay, day.reports, day.red);
    EXPECT_EQ(days, (std::vector<std::tuple<int64_t, int64_t, int64_t>>{{1, 1, 1}, {2, 1, 0}, {3, 1, 1}}));
}

// Newest reports of a ticket, shown oldest first, each with its items' keys and colours in its order.
TEST_P(StorageTable, ATicketsReportsComeInTimeOrderWithTheirItems) {
    const std::vector<int64_t> ids = AddWeek();
    const int64_t third = *storage_->Add(Report(kMonday + 5 * kDay, "A", {Item(0, "Windows", false), Item(1, "Pop-up", false)}));
    const TicketReports all = storage_->Ticket("A", 10);
    EXPECT_EQ(all.total, 3);
    ASSERT_EQ(all.reports.size(), 3u);
    EXPECT_EQ(all.reports[0].row.id, ids[0]);
    EXPECT_EQ(all.reports[2].row.id, third);
    using Items = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(all.reports[1].items, (Items{{"basic/Windows", true}, {"etcchecklist/Pop-up", true}}));
    EXPECT_EQ(all.reports[2].items, (Items{{"basic/Windows", false}, {"etcchecklist/Pop-up", false}}));
    const TicketReports newest = storage_->Ticket("A", 2);
    EXPECT_EQ(newest.total, 3);
    ASSERT_EQ(newest.reports.size(), 2u);
    EXPECT_EQ(newest.reports[0].row.id, ids[1]);
    EXPECT_EQ(storage_->Ticket("nobody's", 10).total, 0);
    EXPECT_TRUE(storage_->Ticket("A' OR '1'='1", 10).reports.empty());
}

// One row per ticket: its newest report in the period, when that one is red, with its red items' keys.
TEST_P(StorageTable, RedTicketsShowEachTicketsNewestReport) {
    const std::vector<int64_t> ids = AddWeek();
    const int64_t c = *storage_->Add(Report(kMonday + 4 * kDay, "C", {Item(0, "Windows", true), Item(1, "Pop-up", false)}));
    auto rows = [&](ReportFilter filter) {
        std::vector<std::pair<int64_t, std::vector<std::string>>> got;
        for (const ReportRow& row : storage_->RedTickets(filter)) got.emplace_back(row.id, row.redKeys);
        return got;
    };
    using Rows = std::vector<std::pair<int64_t, std::vector<std::string>>>;
    const std::vector<std::string> both = {"basic/Windows", "etcchecklist/Pop-up"};
    EXPECT_EQ(rows({}), (Rows{{c, {"basic/Windows"}}, {ids[1], both}}));  // B is black, "" is no ticket
    ReportFilter monday;
    monday.toMs = kMonday + kDay;
    EXPECT_EQ(rows(monday), (Rows{{ids[0], {"etcchecklist/Pop-up"}}}));
    ReportFilter popup;
    popup.red = "etcchecklist/Pop-up";
    EXPECT_EQ(rows(popup), (Rows{{ids[1], both}}));
    ReportFilter page;
    page.limit = 1;
    EXPECT_EQ(rows(page), (Rows{{c, {"basic/Windows"}}}));
    page.after = std::make_pair(kMonday + 4 * kDay, c);
    EXPECT_EQ(rows(page), (Rows{{ids[1], both}}));
    // A newer report that is black takes the ticket off the view.
    storage_->Add(Report(kMonday + 6 * kDay, "C", {Item(0, "Windows", false)}));
    EXPECT_EQ(rows({}), (Rows{{ids[1], both}}));
}

// The list of the CSV carries the red items' keys.
TEST_P(StorageTable, ListRowsCarryTheirRedKeysWhenAsked) {
    AddWeek();
    ReportFilter filter;
    filter.withRedKeys = true;
    std::vector<std::vector<std::string>> keys;
    for (const ReportRow& row : storage_->List(filter)) keys.push_back(row.redKeys);
    EXPECT_EQ(keys, (std::vector<std::vector<std::string>>{
                        {"etcchecklist/Pop-up"}, {}, {"basic/Windows", "etcchecklist/Pop-up"}, {"etcchecklist/Pop-up"}}));
}

TEST_P(StorageTable, AccountsKeepTheirHashesAndANewPasswordEndsTheirSessions) {
    EXPECT_TRUE(storage_->AddAccount("kim", "hash-1", kMonday));
    EXPECT_FALSE(storage_->AddAccount("kim", "hash-2", kMonday));
    EXPECT_TRUE(storage_->AddAccount("이수진", "hash-3", kMonday + 1));
    EXPECT_EQ(storage_->PasswordHashOf("kim"), std::optional<std::string>("hash-1"));
    EXPECT_EQ(storage_->PasswordHashOf("nobody"), std::nullopt);
    storage_->OpenSession("kim-session", "kim", kMonday);
    storage_->OpenSession("lee-session", "이수진", kMonday);
    EXPECT_TRUE(storage_->SetPasswordHash("kim", "hash-4", kMonday + 5));
    EXPECT_FALSE(storage_->SetPasswordHash("nobody", "hash-4", kMonday + 5));
    EXPECT_EQ(storage_->UseSession("kim-session", kMonday + 6, kDay), std::nullopt);
    EXPECT_EQ(storage_->UseSession("lee-session", kMonday + 6, kDay), std::optional<std::string>("이수진"));
    std::vector<std::tuple<std::string, int64_t, int64_t>> listed;
    for (const Account& account : OpenStorage(address_)->Accounts())
        listed.emplace_back(account.name, account.createdMs, account.changedMs);
    EXPECT_EQ(listed, (std::vector<std::tuple<std::string, int64_t, int64_t>>{{"kim", kMonday, kMonday + 5},
                                                                              {"이수진", kMonday + 1, kMonday + 1}}));
    EXPECT_TRUE(storage_->RemoveAccount("이수진"));
    EXPECT_FALSE(storage_->RemoveAccount("이수진"));
    EXPECT_EQ(storage_->UseSession("lee-session", kMonday + 7, kDay), std::nullopt);
    EXPECT_EQ(storage_->Accounts().size(), 1u);
}

TEST_P(StorageTable, TheAuditRecordsWhoViewedWhichReport) {
    const std::vector<int64_t> ids = AddWeek();
    storage_->RecordViews("kim", {ids[0], ids[2]}, "10.0.0.7", kMonday + 99);
    storage_->RecordViews("lee", {ids[2]}, "::1", kMonday + 100);
    RawSql("CREATE TABLE seen AS SELECT account || ' ' || report_id || ' ' || address || ' ' || viewed_ms AS line"
           " FROM report_views");
    const std::string expected = "kim " + std::to_string(ids[0]) + " 10.0.0.7 " + std::to_string(kMonday + 99) + "|kim " +
                                 std::to_string(ids[2]) + " 10.0.0.7 " + std::to_string(kMonday + 99) + "|lee " +
                                 std::to_string(ids[2]) + " ::1 " + std::to_string(kMonday + 100);
    EXPECT_EQ(RawText("SELECT line FROM seen ORDER BY line"), expected);
    RawSql("DROP TABLE seen");
    storage_->DeleteBefore(kMonday + 100);  // the audit is kept as long as the reports
    EXPECT_EQ(RawText("SELECT account FROM report_views"), "lee");
}

// Services adding at once count into rows of their own (PostgreSQL's shards); the totals add them up, and
// tidying folds a past day's rows into one.
TEST_P(StorageTable, DailySumsFromSeveralServicesAddUpAndFold) {
    std::unique_ptr<Storage> other = OpenStorage(address_);
    for (int i = 0; i < 3; ++i) {
        storage_->Add(Report(kMonday + i, "A", {Item(0, "Windows", true)}));
        other->Add(Report(kMonday + 10 + i, "B", {Item(0, "Windows", i == 0)}));
    }
    ReportFilter windows;
    windows.red = "basic/Windows";
    EXPECT_EQ(storage_->CountReports({}), 6);
    EXPECT_EQ(other->CountReports(windows), 4);
    storage_->Tidy(kMonday + 2 * kDay, kDay);
    EXPECT_EQ(RawText("SELECT COUNT(*) FROM report_days"), "1");
    EXPECT_EQ(RawText("SELECT COUNT(*) FROM red_item_days"), "1");
    EXPECT_EQ(storage_->CountReports({}), 6);
    EXPECT_EQ(other->CountReports(windows), 4);
    EXPECT_EQ(storage_->RedSummary({}, {}).at(0).reports, 4);
}

// A report as the control writes it, in English or Korean, with the ten settings rows of Internet
// Explorer 11 on 64-bit Windows; software rendering red or not.
std::string ControlReport(bool korean, bool renderingRed) {
    auto item = [](const std::string& subject, const std::string& state, bool red, const std::string& key) {
        return "<item><subject>" + subject + "</subject>" + (state.empty() ? "" : "<lenvmsg>" + state + "</lenvmsg>") +
               "<resultcolor>" + (red ? "FF0000" : "000000") + "</resultcolor><resultmsg>" + (red ? "!" : "ok") +
               "</resultmsg><solutionmsg type=\"method\" value=\"Modify\" param=\"" + key + "\">fix</solutionmsg>"
               "<addition/></item>";
    };
    const char* keys[] = {"FlashSecure", "IeFlash", "IeMarklet", "IePopop", "AllowStatusbarModifyByScript", "UseSWRender",
                          "EnabledIEWin32In64OS", "WMP10SRS", "WMPNPOption", "WMP11AllowApproximateSeeking"};
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><diagnosis><group class=\"basic\">";
    for (int i = 0; i < 4; ++i)
        xml += item((korean ? "기본 " : "Basic ") + std::to_string(i), i == 1 ? (korean ? "버전(11.0.9600.18376)" : "Version(11.0.9600.18376)") : "",
                    false, "");
    xml += "</group><group class=\"ocx_z4\">" + item("Quadrel.ocx", "", true, "") + "</group><group class=\"etcchecklist\">";
    for (int i = 0; i < 10; ++i)
        xml += item((korean ? "설정 " : "Setting ") + std::to_string(i), "", i == 5 && renderingRed, keys[i]);
    return xml + "</group></diagnosis>";
}

// A database made by the previous schema (its very statements) opens, its items gain keys read from each
// report's XML, the daily sums count what it held, and every report stays as it was.
TEST_P(StorageTable, ADatabaseOfThePreviousSchemaGainsKeysAndKeepsEveryReport) {
    storage_.reset();
    if (Sqlite()) {
        std::error_code ignored;
        for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(address_ + end, ignored);
        RawSql(kSqliteVersion2 + std::string("PRAGMA user_version = 2;"));
    } else {
        RawSql("DROP TABLE IF EXISTS " kAllTables);
        RawSql(kPostgresVersion2 + std::string("CREATE TABLE desk_schema (version INTEGER NOT NULL);"
                                               "INSERT INTO desk_schema VALUES (2);"));
    }
    struct Old {
        int64_t receivedMs;
        std::string ticket, lang, xml;
    };
    const std::vector<Old> old = {{kMonday + 1000, "T-1", "eng", ControlReport(false, true)},
                                  {kMonday + 2000, "T-2", "kor", ControlReport(true, true)},
                                  {kMonday + kDay + 3000, "T-1", "eng", ControlReport(false, false)}};
    for (const Old& report : old) InsertAsVersion2(report.receivedMs, report.ticket, report.lang, report.xml);
    storage_ = OpenStorage(address_);
    EXPECT_EQ(storage_->SchemaVersion(), kSchemaVersion);
    EXPECT_EQ(storage_->Count(), 3);
    EXPECT_EQ(storage_->CountReports({}), 3);
    const std::vector<ReportRow> listed = storage_->List({});
    ASSERT_EQ(listed.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const std::optional<ReportDetail> found = storage_->Find(listed[2 - i].id);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->xml, old[i].xml);
        EXPECT_EQ(found->row.ticket, old[i].ticket);
        ASSERT_EQ(found->items.size(), 15u);
        EXPECT_EQ(found->items[1].key, "basic/ie");
        EXPECT_EQ(found->items[4].key, "ocx_z4/Quadrel.ocx");
        EXPECT_EQ(found->items[10].key, "etcchecklist/software-rendering");
        EXPECT_EQ(found->items[10].subject, i == 1 ? "설정 5" : "Setting 5");
    }
    // One item in both languages: red on the English and the Korean report, black after the repair.
    std::map<std::string, int64_t> summary;
    for (const RedCount& count : storage_->RedSummary({}, {})) summary[count.key] = count.reports;
    EXPECT_EQ(summary, (std::map<std::string, int64_t>{{"etcchecklist/software-rendering", 2}, {"ocx_z4/Quadrel.ocx", 3}}));
    ReportFilter rendering;
    rendering.red = "etcchecklist/software-rendering";
    EXPECT_EQ(storage_->CountReports(rendering), 2);
    EXPECT_EQ(storage_->List(rendering).size(), 2u);
    EXPECT_EQ(storage_->Days(kMonday / kDay, kMonday / kDay + 2).size(), 2u);
    EXPECT_EQ(storage_->Ticket("T-1", 10).reports.size(), 2u);
    EXPECT_GT(*storage_->Add(Report(kMonday + 2 * kDay, "new", {Item(0, "Windows", true)})), listed[0].id);
    EXPECT_EQ(OpenStorage(address_)->CountReports({}), 4);  // opened again: nothing more to migrate
}

// Services sharing a PostgreSQL database take turns at deleting old reports; SQLite's one writer at a time
// already does.
TEST_P(StorageTable, RetentionRunsOnOneServiceAtATime) {
    if (Sqlite()) GTEST_SKIP() << "SQLite's write lock lets one service delete at a time";
    AddWeek();
    pqxx::connection holder(address_);
    pqxx::work other(holder);
    other.exec("SELECT pg_advisory_xact_lock(4243)");
    EXPECT_EQ(storage_->DeleteBefore(kMonday + 2 * kDay), std::nullopt);
    EXPECT_EQ(storage_->Count(), 4);
    other.commit();
    EXPECT_EQ(storage_->DeleteBefore(kMonday + 2 * kDay), std::optional<int64_t>(2));
}

INSTANTIATE_TEST_SUITE_P(Sqlite, StorageTable, ::testing::Values("Sqlite"));
INSTANTIATE_TEST_SUITE_P(Postgres, StorageTable, ::testing::Values("Postgres"));

}  // namespace
}  // namespace omni::desk
