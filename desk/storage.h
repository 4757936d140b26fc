// Where the desk keeps its reports, its sessions and its rate counters: one interface, one implementation
// per database (SQLite, PostgreSQL). Every statement is prepared with bound parameters; a report and its
// items are written in one transaction, committed to disk before Add returns. Several services may share
// one database: everything a login or a limit needs lives here, not in a process.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace omni::desk {

struct StoredItem {
    int position = 0;     // order in the report
    std::string group;    // the group's class: "basic", "ocx_z4", ...
    std::string subject;
    std::string key;      // the item's identity in every language (item_keys.h)
    std::string state;    // what is installed (<lenvmsg>), when the group says
    std::string colour;   // "000000" or "FF0000", upper case
    bool red = false;
    std::string result;   // the verdict text
    std::string addition;
    std::string solutionType;   // "method", "link" or "text"
    std::string method;   // the solution's value: a control method or an address
    std::string param;
    std::string solutionLabel;  // the repair's label (the text of <solutionmsg>)
};

struct NewReport {
    int64_t receivedMs = 0;
    std::string sender;   // the poster's address
    std::string ticket;   // from the query string; empty when none
    std::string lang;
    std::string xml;      // exactly as received
    std::string ieAddons;
    std::vector<StoredItem> items;
};

struct ReportRow {
    int64_t id = 0;
    int64_t receivedMs = 0;
    std::string sender, ticket, lang;
    int items = 0, red = 0;
    std::vector<std::string> redKeys;  // the keys of its red items, in the report's order, when asked for
};

struct ReportDetail {
    ReportRow row;
    std::string xml, ieAddons;
    std::vector<StoredItem> items;  // as the service read them at arrival, in order
};

struct ReportFilter {
    std::optional<std::string> ticket;
    std::optional<int64_t> fromMs, toMs;  // received >= from, received < to
    std::optional<std::string> red;       // the key of an item that is red in the report
    int limit = 100;
    int offset = 0;
    // Only reports listed after this one (its received time and number): the next page of a long list.
    std::optional<std::pair<int64_t, int64_t>> after;
    bool withRedKeys = false;  // fill each row's redKeys
};

struct RedCount {
    std::string key;
    int64_t reports = 0;
};

// One UTC day: the reports received on it, and of them those with a red item.
struct DayCount {
    int64_t day = 0;  // days since 1970-01-01
    int64_t reports = 0, red = 0;
};

// A ticket's reports, oldest first, each with its items' keys and colours.
struct TicketReport {
    ReportRow row;
    std::vector<std::pair<std::string, bool>> items;  // key, red; in the report's order
};
struct TicketReports {
    int64_t total = 0;  // the ticket's reports in all; `reports` holds the newest of them
    std::vector<TicketReport> reports;
};

struct Account {
    std::string name;
    int64_t createdMs = 0, changedMs = 0;  // made, and its password last set
};

// What a sender may store in a day, counted in bytes of the report's texts.
int64_t StoredBytes(const NewReport& report);

class Storage {
public:
    virtual ~Storage() = default;
    // The new report's number; on disk when this returns. nullopt when the sender's bytes of the report's
    // UTC day would pass dailyQuotaBytes (0: no quota), with nothing stored. Throws on failure, with
    // nothing stored.
    virtual std::optional<int64_t> Add(const NewReport& report, int64_t dailyQuotaBytes = 0) = 0;
    // Newest first.
    virtual std::vector<ReportRow> List(const ReportFilter& filter) = 0;
    // How many reports the filter's ticket, period and red item hold, whatever its page.
    virtual int64_t CountReports(const ReportFilter& filter) = 0;
    virtual std::optional<ReportDetail> Find(int64_t id) = 0;
    // For each item key, on how many reports (received in the period) it was red; most first.
    virtual std::vector<RedCount> RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) = 0;
    // The days from fromDay up to but not including toDay that received reports, in order.
    virtual std::vector<DayCount> Days(int64_t fromDay, int64_t toDay) = 0;
    // The ticket's newest `limit` reports, oldest first.
    virtual TicketReports Ticket(const std::string& ticket, int limit) = 0;
    // One row per ticket: its newest report in the period when that one has a red item (filter.red: that
    // item), newest first, with its red keys. filter.ticket and filter.offset are not used.
    virtual std::vector<ReportRow> RedTickets(const ReportFilter& filter) = 0;
    // Removes the reports received before the time, with their items, and the audit's older records;
    // answers how many reports, or nullopt when another service sharing the database is doing it right now.
    virtual std::optional<int64_t> DeleteBefore(int64_t ms) = 0;
    virtual int64_t Count() = 0;

    // Sessions are known by the SHA-256 of their token: the database never holds a usable token.
    virtual void OpenSession(const std::string& tokenHash, const std::string& account, int64_t nowMs) = 0;
    // The session's account, its last use moved to now; nullopt when unknown, closed, or unused for idleMs.
    virtual std::optional<std::string> UseSession(const std::string& tokenHash, int64_t nowMs, int64_t idleMs) = 0;
    virtual void CloseSession(const std::string& tokenHash) = 0;

    // A token bucket per name that refills `perMinute` tokens a minute, continuously, up to perMinute.
    // TakeToken takes one (false when none is left); HasToken only looks.
    virtual bool TakeToken(const std::string& bucket, int perMinute, int64_t nowMs) = 0;
    virtual bool HasToken(const std::string& bucket, int perMinute, int64_t nowMs) = 0;

    // Staff accounts, each with its password's hash (password.h). Add answers false when the name is
    // taken; SetPasswordHash and Remove answer false when there is no such account, and close its sessions.
    virtual bool AddAccount(const std::string& name, const std::string& passwordHash, int64_t nowMs) = 0;
    virtual bool SetPasswordHash(const std::string& name, const std::string& passwordHash, int64_t nowMs) = 0;
    virtual bool RemoveAccount(const std::string& name) = 0;
    virtual std::optional<std::string> PasswordHashOf(const std::string& name) = 0;
    virtual std::vector<Account> Accounts() = 0;
    // The audit: the account looked at these reports.
    virtual void RecordViews(const std::string& account, const std::vector<int64_t>& reportIds,
                             const std::string& address, int64_t nowMs) = 0;

    // Drops what no longer counts: sessions unused for sessionIdleMs, buckets full again, and the daily
    // byte counts of days before yesterday; folds the daily sums of past days into one row each.
    virtual void Tidy(int64_t nowMs, int64_t sessionIdleMs) = 0;

    // The schema's version in the database (migrated to the latest at opening).
    virtual int SchemaVersion() = 0;
};

// The schema version this service writes; an older database is migrated to it at opening, a newer one is
// refused.
inline constexpr int kSchemaVersion = 3;

inline constexpr int64_t kDayMs = 24LL * 3600 * 1000;

// A period cut at whole UTC days: the days between (counted from the daily sums) and what lies before the
// first and after the last whole day (counted from the reports themselves).
struct PeriodParts {
    int64_t firstDay = 0, endDay = 0;  // whole days: firstDay <= day < endDay (empty when equal)
    std::optional<std::pair<int64_t, int64_t>> before, after;  // [from, to) in ms
};
PeriodParts SplitByDays(std::optional<int64_t> fromMs, std::optional<int64_t> toMs);

// The list's window as plain bounds, so that a database seeks to it on its index: received from low to
// high (both included), and before (cursorMs, cursorId) in the list's order.
struct ListWindow {
    int64_t low, high, cursorMs, cursorId;
};
ListWindow WindowOf(const ReportFilter& filter);

// Counts of red items by key, most first (then by key).
std::vector<RedCount> MostFirst(const std::map<std::string, int64_t>& counts);

// The keys of a report's red items, each once, in sorted order: what the daily sums count.
std::vector<std::string> DistinctRedKeys(const std::vector<StoredItem>& items);

// "postgresql://..." (or "postgres://...") opens PostgreSQL; anything else is a SQLite file.
std::unique_ptr<Storage> OpenStorage(const std::string& address);

}  // namespace omni::desk
