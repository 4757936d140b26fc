// The storage table, run against every implementation: SQLite in a scratch file, and PostgreSQL at the
// address in OMNI_DESK_TEST_POSTGRES (tests/with-postgres.sh starts a server of its own for it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <pqxx/connection>
#include <pqxx/transaction>

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
            drop.exec("DROP TABLE IF EXISTS items; DROP TABLE IF EXISTS reports");
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
        ids.push_back(storage_->Add(Report(kMonday + kDay / 2, "A", {Item(0, "Windows", false), Item(1, "Pop-up", true)})));
        ids.push_back(storage_->Add(Report(kMonday + kDay * 3 / 2, "A", {Item(0, "Windows", true), Item(1, "Pop-up", true)})));
        ids.push_back(storage_->Add(Report(2 * kDay + kMonday + kDay / 2, "B", {Item(0, "Windows", false), Item(1, "Pop-up", false)})));
        ids.push_back(storage_->Add(Report(3 * kDay + kMonday + kDay / 2, "", {Item(0, "Windows", false), Item(1, "Pop-up", true)})));
        return ids;
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
    const int64_t id = storage_->Add(report);
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
    EXPECT_GT(storage_->Add(Report(kMonday, "after", {})), 0);
    EXPECT_EQ(storage_->Count(), 5);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, StorageTable, ::testing::Values("Sqlite"));
INSTANTIATE_TEST_SUITE_P(Postgres, StorageTable, ::testing::Values("Postgres"));

}  // namespace
}  // namespace omni::desk
