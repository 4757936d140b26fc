// The embedded storage: one SQLite file in WAL mode, synchronous commits, one connection behind a lock.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

#include <sqlite3.h>

#include "sqlite_support.h"
#include "storage.h"

namespace omni::desk {

struct ReadReport;

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using unique_sqlite = std::unique_ptr<sqlite3, SqliteCloser>;
using unique_statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class SqliteStorage : public Storage {
public:
    // Creates the file's folder (for the service's user alone) when it is missing.
    explicit SqliteStorage(const std::string& path);
    std::optional<int64_t> Add(const NewReport& report, int64_t dailyQuotaBytes) override;
    std::vector<ReportRow> List(const ReportFilter& filter) override;
    int64_t CountReports(const ReportFilter& filter) override;
    std::optional<ReportDetail> Find(int64_t id) override;
    std::vector<RedCount> RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) override;
    std::vector<DayCount> Days(int64_t fromDay, int64_t toDay) override;
    TicketReports Ticket(const std::string& ticket, int limit) override;
    std::vector<ReportRow> RedTickets(const ReportFilter& filter) override;
    std::optional<int64_t> DeleteBefore(int64_t ms) override;
    int64_t Count() override;
    void OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) override;
    std::optional<std::string> UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) override;
    void CloseSession(const std::string& tokenHash) override;
    bool TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) override;
    bool HasToken(const std::string& bucket, int perMinute, int64_t nowMs) override;
    bool AddAccount(const std::string& name, const std::string& passwordHash, int64_t nowMs) override;
    bool SetPasswordHash(const std::string& name, const std::string& passwordHash, int64_t nowMs) override;
    bool RemoveAccount(const std::string& name) override;
    std::optional<std::string> PasswordHashOf(const std::string& name) override;
    std::vector<Account> Accounts() override;
    void RecordViews(const std::string& account, const std::vector<int64_t>& reportIds, const std::string& address,
                     int64_t nowMs) override;
    void Tidy(int64_t nowMs, int64_t sessionIdleMs) override;
    int SchemaVersion() override;

private:
    // The statement of this SQL text (a constant: its address is the cache's key), prepared once.
    sqlite3_stmt* Prepared(const char* sql);
    void Execute(const char* sql);
    void Step(sqlite3_stmt* s, const char* what);
    int64_t Number(const char* sql, const std::function<void(sqlite3_stmt*)>& bind);
    void Migrate();
    void ReadEveryReport(const std::function<void(int64_t, const ReadReport&)>& use);
    void FillItemDetails();
    void FillItemKeys();
    void FillRedKeys(std::vector<ReportRow>& rows);
    template <typename Work> auto InTransaction(Work work);

    std::mutex lock_;
    unique_sqlite db_;
    std::unordered_map<const char*, unique_statement> statements_;
};

// One write transaction under the lock, rolled back on any failure.
template <typename Work> auto SqliteStorage::InTransaction(Work work) {
    Step(Prepared("BEGIN IMMEDIATE"), "begin");
    try {
        auto answer = work();
        Step(Prepared("COMMIT"), "commit");
        return answer;
    } catch (...) {
        sqlite::Use use(Prepared("ROLLBACK"));
        sqlite3_step(use.get());
        throw;
    }
}

}  // namespace omni::desk
