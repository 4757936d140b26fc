// The embedded storage: one SQLite file in WAL mode, synchronous commits, one connection behind a lock.
#pragma once

#include <mutex>
#include <string>

#include <sqlite3.h>

#include "storage.h"

namespace omni::desk {

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
    std::optional<ReportDetail> Find(int64_t id) override;
    std::vector<RedCount> RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) override;
    std::optional<int64_t> DeleteBefore(int64_t ms) override;
    int64_t Count() override;
    void OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) override;
    std::optional<std::string> UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) override;
    void CloseSession(const std::string& tokenHash) override;
    bool TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) override;
    bool HasToken(const std::string& bucket, int perMinute, int64_t nowMs) override;
    void Tidy(int64_t nowMs, int64_t sessionIdleMs) override;
    int SchemaVersion() override;

private:
    sqlite3_stmt* Prepared(unique_statement& slot, const char* sql);
    void Execute(const char* sql);
    void Migrate();
    void FillItemDetails();
    template <typename Work> auto InTransaction(Work work);

    std::mutex lock_;
    unique_sqlite db_;
    unique_statement begin_, commit_, rollback_, insertReport_, insertItem_, addBytes_, list_, find_, findItems_,
        summary_, deleteItems_, deleteReports_, count_, openSession_, useSession_, closeSession_, takeToken_,
        hasToken_;
};

}  // namespace omni::desk
