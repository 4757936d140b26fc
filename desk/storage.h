// Where the desk keeps its reports, its sessions and its rate counters: one interface, one implementation
// per database (SQLite, PostgreSQL). Every statement is prepared with bound parameters; a report and its
// items are written in one transaction, committed to disk before Add returns. Several services may share
// one database: everything a login or a limit needs lives here, not in a process.
#pragma once

#include <cstdint>
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
};

struct ReportDetail {
    ReportRow row;
    std::string xml, ieAddons;
    std::vector<StoredItem> items;  // as the service read them at arrival, in order
};

struct ReportFilter {
    std::optional<std::string> ticket;
    std::optional<int64_t> fromMs, toMs;  // received >= from, received < to
    std::optional<std::string> red;       // the subject of an item that is red in the report
    int limit = 100;
    int offset = 0;
    // Only reports listed after this one (its received time and number): the next page of a long list.
    std::optional<std::pair<int64_t, int64_t>> after;
};

struct RedCount {
    std::string subject;
    int64_t reports = 0;
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
    virtual std::optional<ReportDetail> Find(int64_t id) = 0;
    // For each subject, on how many reports (received in the period) it was red; most first.
    virtual std::vector<RedCount> RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) = 0;
    // Removes the reports received before the time, with their items; answers how many, or nullopt when
    // another service sharing the database is doing it right now.
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

    // Drops what no longer counts: sessions unused for sessionIdleMs, buckets full again, and the daily
    // byte counts of days before yesterday.
    virtual void Tidy(int64_t nowMs, int64_t sessionIdleMs) = 0;

    // The schema's version in the database (migrated to the latest at opening).
    virtual int SchemaVersion() = 0;
};

// The schema version this service writes; an older database is migrated to it at opening, a newer one is
// refused.
inline constexpr int kSchemaVersion = 2;

// "postgresql://..." (or "postgres://...") opens PostgreSQL; anything else is a SQLite file.
std::unique_ptr<Storage> OpenStorage(const std::string& address);

}  // namespace omni::desk
