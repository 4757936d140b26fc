// What several services share in PostgreSQL besides the reports: sessions, rate buckets, staff accounts,
// the audit, and the tidying of them all.
#include <pqxx/result>

#include "postgres_storage.h"

namespace omni::desk {

namespace {

// The bucket refilled up to now; a clock that went back (another machine's) refills nothing.
#define OMNI_REFILLED "LEAST($2::double precision, b.tokens + GREATEST(0, $3::bigint - b.updated_ms) * $2 / 60000.0)"

const std::pair<const char*, const char*> kStatements[] = {
    {"open_session", "INSERT INTO sessions (token_hash, account, created_ms, used_ms) VALUES ($1, $2, $3, $3)"},
    {"use_session", "UPDATE sessions SET used_ms = GREATEST(used_ms, $2) WHERE token_hash = $1 AND used_ms >= $3"
                    " RETURNING account"},
    {"close_session", "DELETE FROM sessions WHERE token_hash = $1"},
    {"close_sessions_of", "DELETE FROM sessions WHERE account = $1"},
    {"take_token", "INSERT INTO rate_buckets AS b (bucket, tokens, updated_ms) VALUES ($1, $2::double precision - 1,"
                   " $3::bigint) ON CONFLICT (bucket) DO UPDATE SET tokens = " OMNI_REFILLED " - 1,"
                   " updated_ms = GREATEST(b.updated_ms, $3::bigint) WHERE " OMNI_REFILLED " >= 1 RETURNING b.tokens"},
    {"has_token", "SELECT " OMNI_REFILLED " FROM rate_buckets b WHERE bucket = $1"},
    {"add_account", "INSERT INTO accounts (name, password_hash, created_ms, changed_ms) VALUES ($1, $2, $3, $3)"
                    " ON CONFLICT (name) DO NOTHING"},
    {"set_password", "UPDATE accounts SET password_hash = $2, changed_ms = $3 WHERE name = $1"},
    {"remove_account", "DELETE FROM accounts WHERE name = $1"},
    {"password_hash", "SELECT password_hash FROM accounts WHERE name = $1"},
    {"accounts", "SELECT name, created_ms, changed_ms FROM accounts ORDER BY name"},
    {"record_views", "INSERT INTO report_views (viewed_ms, account, report_id, address)"
                     " SELECT $1, $2, value::bigint, $3 FROM json_array_elements_text($4::json)"},
    {"tidy_sessions", "DELETE FROM sessions WHERE used_ms < $1"},
    {"tidy_buckets", "DELETE FROM rate_buckets WHERE updated_ms < $1"},
    {"tidy_days", "DELETE FROM sender_days WHERE day < $1"},
    // The past days' shards of the daily sums, folded into one row per day (and key).
    {"fold_days", "WITH moved AS (DELETE FROM report_days WHERE day < $1 AND shard <> 0 RETURNING day, reports,"
                  " red_reports) INSERT INTO report_days (day, shard, reports, red_reports) SELECT day, 0, SUM(reports),"
                  " SUM(red_reports) FROM moved GROUP BY day ON CONFLICT (day, shard) DO UPDATE SET"
                  " reports = report_days.reports + excluded.reports,"
                  " red_reports = report_days.red_reports + excluded.red_reports"},
    {"fold_red_days", "WITH moved AS (DELETE FROM red_item_days WHERE day < $1 AND shard <> 0 RETURNING day, item_key,"
                      " reports) INSERT INTO red_item_days (day, item_key, shard, reports) SELECT day, item_key, 0,"
                      " SUM(reports) FROM moved GROUP BY day, item_key ON CONFLICT (day, item_key, shard) DO UPDATE SET"
                      " reports = red_item_days.reports + excluded.reports"},
    {"schema_version", "SELECT MAX(version) FROM desk_schema"},
};
#undef OMNI_REFILLED

std::string Text(const pqxx::field& field) { return std::string(field.c_str(), field.size()); }

}  // namespace

void PostgresStorage::PrepareSessions(pqxx::connection& connection) {
    for (const auto& [name, sql] : kStatements) connection.prepare(name, sql);
}

void PostgresStorage::OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) {
    Run([&](pqxx::work& w) { return w.exec_prepared0("open_session", tokenHash, account, nowMs).affected_rows(); });
}

std::optional<std::string> PostgresStorage::UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) {
    return Run([&](pqxx::work& w) -> std::optional<std::string> {
        const pqxx::result used = w.exec_prepared("use_session", tokenHash, nowMs, nowMs - idleMs);
        if (used.empty()) return std::nullopt;
        return Text(used[0][0]);
    });
}

void PostgresStorage::CloseSession(const std::string& tokenHash) {
    Run([&](pqxx::work& w) { return w.exec_prepared0("close_session", tokenHash).affected_rows(); });
}

bool PostgresStorage::TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    return Run([&](pqxx::work& w) { return !w.exec_prepared("take_token", bucket, perMinute, nowMs).empty(); });
}

bool PostgresStorage::HasToken(const std::string& bucket, int perMinute, int64_t nowMs) {
    return Run([&](pqxx::work& w) {
        const pqxx::result found = w.exec_prepared("has_token", bucket, perMinute, nowMs);
        return found.empty() || found[0][0].as<double>() >= 1.0;
    });
}

bool PostgresStorage::AddAccount(const std::string& name, const std::string& passwordHash, int64_t nowMs) {
    return Run([&](pqxx::work& w) { return w.exec_prepared0("add_account", name, passwordHash, nowMs).affected_rows() == 1; });
}

// A new password ends the account's sessions, as removing it does: whoever held one must log in again.
bool PostgresStorage::SetPasswordHash(const std::string& name, const std::string& passwordHash, int64_t nowMs) {
    return Run([&](pqxx::work& w) {
        if (w.exec_prepared0("set_password", name, passwordHash, nowMs).affected_rows() != 1) return false;
        w.exec_prepared0("close_sessions_of", name);
        return true;
    });
}

bool PostgresStorage::RemoveAccount(const std::string& name) {
    return Run([&](pqxx::work& w) {
        if (w.exec_prepared0("remove_account", name).affected_rows() != 1) return false;
        w.exec_prepared0("close_sessions_of", name);
        return true;
    });
}

std::optional<std::string> PostgresStorage::PasswordHashOf(const std::string& name) {
    return Run([&](pqxx::work& w) -> std::optional<std::string> {
        const pqxx::result found = w.exec_prepared("password_hash", name);
        if (found.empty()) return std::nullopt;
        return Text(found[0][0]);
    });
}

std::vector<Account> PostgresStorage::Accounts() {
    return Run([&](pqxx::work& w) {
        std::vector<Account> accounts;
        for (const pqxx::row& r : w.exec_prepared("accounts"))
            accounts.push_back({Text(r[0]), r[1].as<int64_t>(), r[2].as<int64_t>()});
        return accounts;
    });
}

void PostgresStorage::RecordViews(const std::string& account, const std::vector<int64_t>& reportIds,
                                  const std::string& address, int64_t nowMs) {
    std::string ids = "[";
    for (int64_t id : reportIds) ids += (ids.size() > 1 ? "," : "") + std::to_string(id);
    ids += "]";
    Run([&](pqxx::work& w) { return w.exec_prepared0("record_views", nowMs, account, address, ids).affected_rows(); });
}

void PostgresStorage::Tidy(int64_t nowMs, int64_t sessionIdleMs) {
    Run([&](pqxx::work& w) {
        w.exec_prepared0("tidy_sessions", nowMs - sessionIdleMs);
        w.exec_prepared0("tidy_buckets", nowMs - 60000);  // a minute refills any bucket
        w.exec_prepared0("tidy_days", nowMs / kDayMs - 1);
        w.exec_prepared0("fold_days", nowMs / kDayMs);
        w.exec_prepared0("fold_red_days", nowMs / kDayMs);
        return 0;
    });
}

}  // namespace omni::desk
