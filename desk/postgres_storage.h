// Storage in PostgreSQL, for desks that outgrow one machine: the same tables as the SQLite file, one
// connection behind a lock, opened again after it breaks.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include <pqxx/connection>

#include "storage.h"

namespace omni::desk {

class PostgresStorage : public Storage {
public:
    explicit PostgresStorage(std::string address);
    int64_t Add(const NewReport& report) override;
    std::vector<ReportRow> List(const ReportFilter& filter) override;
    std::optional<ReportDetail> Find(int64_t id) override;
    std::vector<RedCount> RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) override;
    int64_t DeleteBefore(int64_t ms) override;
    int64_t Count() override;

private:
    pqxx::connection& Connection();
    template <typename Work> auto Run(Work work);

    const std::string address_;
    std::mutex lock_;
    std::unique_ptr<pqxx::connection> connection_;
};

}  // namespace omni::desk
