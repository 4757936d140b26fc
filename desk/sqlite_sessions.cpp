// What several services share in the SQLite file besides the reports: sessions, rate buckets, staff
// accounts and the audit.
#include "sqlite_storage.h"

namespace omni::desk {

using namespace sqlite;

namespace {

const char kOpenSession[] = "INSERT INTO sessions (token_hash, account, created_ms, used_ms) VALUES (?1, ?2, ?3, ?3)";
const char kUseSession[] = "UPDATE sessions SET used_ms = MAX(used_ms, ?2) WHERE token_hash = ?1 AND used_ms >= ?3"
                           " RETURNING account";
const char kCloseSession[] = "DELETE FROM sessions WHERE token_hash = ?1";
const char kCloseSessionsOf[] = "DELETE FROM sessions WHERE account = ?1";
// The bucket refilled up to now; a clock that went back refills nothing.
#define OMNI_REFILLED "MIN(?2, tokens + MAX(0, ?3 - updated_ms) * ?2 / 60000.0)"
const char kTakeToken[] =
    "INSERT INTO rate_buckets (bucket, tokens, updated_ms) VALUES (?1, ?2 - 1, ?3)"
    " ON CONFLICT (bucket) DO UPDATE SET tokens = " OMNI_REFILLED " - 1, updated_ms = MAX(updated_ms, ?3)"
    " WHERE " OMNI_REFILLED " >= 1 RETURNING tokens";
const char kHasToken[] = "SELECT " OMNI_REFILLED " FROM rate_buckets WHERE bucket = ?1";
#undef OMNI_REFILLED
const char kAddAccount[] = "INSERT INTO accounts (name, password_hash, created_ms, changed_ms) VALUES (?1, ?2, ?3, ?3)"
                           " ON CONFLICT (name) DO NOTHING";
const char kSetPassword[] = "UPDATE accounts SET password_hash = ?2, changed_ms = ?3 WHERE name = ?1";
const char kRemoveAccount[] = "DELETE FROM accounts WHERE name = ?1";
const char kPasswordHash[] = "SELECT password_hash FROM accounts WHERE name = ?1";
const char kAccounts[] = "SELECT name, created_ms, changed_ms FROM accounts ORDER BY name";
const char kRecordView[] = "INSERT INTO report_views (viewed_ms, account, report_id, address) VALUES (?1, ?2, ?3, ?4)";
const char kTidySessions[] = "DELETE FROM sessions WHERE used_ms < ?1";
const char kTidyBuckets[] = "DELETE FROM rate_buckets WHERE updated_ms < ?1";
const char kTidyDays[] = "DELETE FROM sender_days WHERE day < ?1";

}  // namespace

void SqliteStorage::OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    sqlite3_stmt* s = Prepared(kOpenSession);
    BindText(s, 1, tokenHash);
    BindText(s, 2, account);
    sqlite3_bind_int64(s, 3, nowMs);
    Step(s, "open session");
}

std::optional<std::string> SqliteStorage::UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kUseSession));
    BindText(use.get(), 1, tokenHash);
    sqlite3_bind_int64(use.get(), 2, nowMs);
    sqlite3_bind_int64(use.get(), 3, nowMs - idleMs);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_ROW) {
        std::string account = Text(use.get(), 0);
        if (sqlite3_step(use.get()) != SQLITE_DONE) Fail(db_.get(), "use session");
        return account;
    }
    if (stepped != SQLITE_DONE) Fail(db_.get(), "use session");
    return std::nullopt;
}

void SqliteStorage::CloseSession(const std::string& tokenHash) {
    std::lock_guard<std::mutex> hold(lock_);
    sqlite3_stmt* s = Prepared(kCloseSession);
    BindText(s, 1, tokenHash);
    Step(s, "close session");
}

bool SqliteStorage::TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kTakeToken));
    BindText(use.get(), 1, bucket);
    sqlite3_bind_int(use.get(), 2, perMinute);
    sqlite3_bind_int64(use.get(), 3, nowMs);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_ROW && sqlite3_step(use.get()) == SQLITE_DONE) return true;
    if (stepped != SQLITE_DONE) Fail(db_.get(), "take token");
    return false;
}

bool SqliteStorage::HasToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kHasToken));
    BindText(use.get(), 1, bucket);
    sqlite3_bind_int(use.get(), 2, perMinute);
    sqlite3_bind_int64(use.get(), 3, nowMs);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_DONE) return true;  // never used: full
    if (stepped != SQLITE_ROW) Fail(db_.get(), "has token");
    return sqlite3_column_double(use.get(), 0) >= 1.0;
}

bool SqliteStorage::AddAccount(const std::string& name, const std::string& passwordHash, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    sqlite3_stmt* s = Prepared(kAddAccount);
    BindText(s, 1, name);
    BindText(s, 2, passwordHash);
    sqlite3_bind_int64(s, 3, nowMs);
    Step(s, "add account");
    return sqlite3_changes(db_.get()) == 1;
}

// A new password ends the account's sessions, as removing it does: whoever held one must log in again.
bool SqliteStorage::SetPasswordHash(const std::string& name, const std::string& passwordHash, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    return InTransaction([&] {
        sqlite3_stmt* s = Prepared(kSetPassword);
        BindText(s, 1, name);
        BindText(s, 2, passwordHash);
        sqlite3_bind_int64(s, 3, nowMs);
        Step(s, "set password");
        if (sqlite3_changes(db_.get()) != 1) return false;
        sqlite3_stmt* close = Prepared(kCloseSessionsOf);
        BindText(close, 1, name);
        Step(close, "close the account's sessions");
        return true;
    });
}

bool SqliteStorage::RemoveAccount(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock_);
    return InTransaction([&] {
        sqlite3_stmt* s = Prepared(kRemoveAccount);
        BindText(s, 1, name);
        Step(s, "remove account");
        if (sqlite3_changes(db_.get()) != 1) return false;
        sqlite3_stmt* close = Prepared(kCloseSessionsOf);
        BindText(close, 1, name);
        Step(close, "close the account's sessions");
        return true;
    });
}

std::optional<std::string> SqliteStorage::PasswordHashOf(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kPasswordHash));
    BindText(use.get(), 1, name);
    const int stepped = sqlite3_step(use.get());
    if (stepped == SQLITE_DONE) return std::nullopt;
    if (stepped != SQLITE_ROW) Fail(db_.get(), "password hash");
    return Text(use.get(), 0);
}

std::vector<Account> SqliteStorage::Accounts() {
    std::lock_guard<std::mutex> hold(lock_);
    Use use(Prepared(kAccounts));
    std::vector<Account> accounts;
    int stepped;
    while ((stepped = sqlite3_step(use.get())) == SQLITE_ROW)
        accounts.push_back({Text(use.get(), 0), sqlite3_column_int64(use.get(), 1), sqlite3_column_int64(use.get(), 2)});
    if (stepped != SQLITE_DONE) Fail(db_.get(), "accounts");
    return accounts;
}

void SqliteStorage::RecordViews(const std::string& account, const std::vector<int64_t>& reportIds,
                                const std::string& address, int64_t nowMs) {
    std::lock_guard<std::mutex> hold(lock_);
    InTransaction([&] {
        sqlite3_stmt* s = Prepared(kRecordView);
        for (int64_t id : reportIds) {
            sqlite3_bind_int64(s, 1, nowMs);
            BindText(s, 2, account);
            sqlite3_bind_int64(s, 3, id);
            BindText(s, 4, address);
            Step(s, "record a view");
        }
        return 0;
    });
}

void SqliteStorage::Tidy(int64_t nowMs, int64_t sessionIdleMs) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::pair<const char*, int64_t> deletes[] = {
        {kTidySessions, nowMs - sessionIdleMs},
        {kTidyBuckets, nowMs - 60000},  // a minute refills any bucket
        {kTidyDays, nowMs / kDayMs - 1},
    };
    InTransaction([&] {
        for (const auto& [sql, bound] : deletes) {
            sqlite3_stmt* s = Prepared(sql);
            sqlite3_bind_int64(s, 1, bound);
            Step(s, "tidy");
        }
        return 0;
    });
}

}  // namespace omni::desk
