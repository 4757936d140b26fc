// The storage table, run against every implementation: SQLite in a scratch file, and PostgreSQL at the
// address in OMNI_DESK_TEST_POSTGRES (tests/with-postgres.sh starts a server of its own for it).
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <pqxx/connection>
#include <pqxx/transaction>

#include "report_pages.h"
#include "storage.h"

namespace omni::desk {
namespace {

constexpr int64_t kDay = 24LL * 3600 * 1000;
constexpr int64_t kMonday = 1796601600000LL;  // 2026-12-07T00:00:00Z

StoredItem Item(int position, const std::string& subject, bool red) {
    StoredItem item;
    item.position = position;
    item.group = position == 0 ? "basic" : "etcchecklist";
    item.subject = subject;
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
            drop.exec("DROP TABLE IF EXISTS items, reports, sessions, rate_buckets, sender_days, desk_schema");
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
        {"RedItem", filter({}, {}, {}, "Pop-up"), {3, 1, 0}},
        {"RedItemOnlyWhenRed", filter({}, {}, {}, "Windows"), {1}},
        {"RedItemNobodyHas", filter({}, {}, {}, "Flash"), {}},
        {"TicketAndRed", filter("A", {}, {}, "Windows"), {1}},
        {"AllFilters", filter("A", kMonday, kMonday + kDay, "Pop-up"), {0}},
        {"Limit", filter({}, {}, {}, {}, 2), {3, 2}},
        {"Offset", filter({}, {}, {}, {}, 2, 2), {1, 0}},
        {"OffsetPastTheEnd", filter({}, {}, {}, {}, 2, 4), {}},
    };
    for (const ListRow& row : rows) {
        std::vector<int64_t> expected, got;
        for (int index : row.expected) expected.push_back(ids[index]);
        for (const ReportRow& report : storage_->List(row.filter)) got.push_back(report.id);
        EXPECT_EQ(got, expected) << row.name;
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
        for (const RedCount& c : counts) out.emplace_back(c.subject, c.reports);
        return out;
    };
    using Pairs = std::vector<std::pair<std::string, int64_t>>;
    EXPECT_EQ(pairs(storage_->RedSummary({}, {})), (Pairs{{"Pop-up", 3}, {"Windows", 1}}));
    EXPECT_EQ(pairs(storage_->RedSummary(kMonday + kDay, {})), (Pairs{{"Pop-up", 2}, {"Windows", 1}}));
    EXPECT_EQ(pairs(storage_->RedSummary({}, kMonday + kDay)), (Pairs{{"Pop-up", 1}}));
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
    EXPECT_TRUE(storage_->List(ReportFilter{{}, {}, {}, std::string("Again"), 100, 0}).empty());
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
    red.red = "Pop-up";
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
    EXPECT_TRUE(storage_->List(ReportFilter{{}, {}, {}, std::string("Windows"), 100, 0, {}}).size() == 2);
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
        RawSql("DROP TABLE IF EXISTS items, reports, sessions, rate_buckets, sender_days, desk_schema");
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
