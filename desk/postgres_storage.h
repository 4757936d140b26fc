// Storage in PostgreSQL, for desks that outgrow one machine and run several services on one database:
// the same tables as the SQLite file, a few connections per service, each opened again after it breaks.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <pqxx/connection>
#include <pqxx/except>
#include <pqxx/transaction>

#include "storage.h"

namespace omni::desk {

class PostgresStorage : public Storage {
public:
    // `connections`: how many statements the service may have running at once.
    explicit PostgresStorage(std::string address, int connections = 4);
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
    std::unique_ptr<pqxx::connection> Connect();
    // The statements of sessions, buckets, accounts and the audit (postgres_sessions.cpp).
    static void PrepareSessions(pqxx::connection& connection);
    template <typename Work> auto Run(Work work);

    const std::string address_;
    std::mutex lock_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<pqxx::connection>> idle_;  // null: to be opened when taken
};

// One transaction on a connection of the pool; a broken connection is dropped, so its slot opens a new one.
template <typename Work> auto PostgresStorage::Run(Work work) {
    std::unique_ptr<pqxx::connection> connection;
    {
        std::unique_lock<std::mutex> hold(lock_);
        returned_.wait(hold, [this] { return !idle_.empty(); });
        connection = std::move(idle_.back());
        idle_.pop_back();
    }
    struct Return {
        PostgresStorage& self;
        std::unique_ptr<pqxx::connection>& connection;
        ~Return() {
            {
                std::lock_guard<std::mutex> hold(self.lock_);
                self.idle_.push_back(std::move(connection));
            }
            self.returned_.notify_one();
        }
    } giveBack{*this, connection};
    try {
        if (!connection || !connection->is_open()) connection = Connect();
        pqxx::work transaction(*connection);
        auto answer = work(transaction);
        transaction.commit();
        return answer;
    } catch (const pqxx::broken_connection&) {
        connection.reset();
        throw;
    }
}

}  // namespace omni::desk
