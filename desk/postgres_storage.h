// Storage in PostgreSQL, for desks that outgrow one machine and run several services on one database:
// the same tables as the SQLite file, a few connections per service, each opened again after it breaks.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <pqxx/connection>
#include <pqxx/transaction>

#include "storage.h"

namespace omni::desk {

class PostgresStorage : public Storage {
public:
    // `connections`: how many statements the service may have running at once.
    explicit PostgresStorage(std::string address, int connections = 4);
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
    std::unique_ptr<pqxx::connection> Connect();
    template <typename Work> auto Run(Work work);

    const std::string address_;
    std::mutex lock_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<pqxx::connection>> idle_;  // null: to be opened when taken
};

}  // namespace omni::desk
