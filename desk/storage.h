// Where the desk keeps its reports: one interface, one implementation per database (SQLite, PostgreSQL).
// Every statement is prepared with bound parameters; a report and its items are written in one
// transaction, committed to disk before Add returns.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace omni::desk {

struct StoredItem {
    int position = 0;     // order in the report
    std::string group;    // the group's class: "basic", "ocx_z4", ...
    std::string subject;
    std::string colour;   // "000000" or "FF0000", upper case
    bool red = false;
    std::string result;   // the verdict text
    std::string method;   // the solution's value: a control method or an address
    std::string param;
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
};

struct ReportFilter {
    std::optional<std::string> ticket;
    std::optional<int64_t> fromMs, toMs;  // received >= from, received < to
    std::optional<std::string> red;       // the subject of an item that is red in the report
    int limit = 100;
    int offset = 0;
};

struct RedCount {
    std::string subject;
    int64_t reports = 0;
};

class Storage {
public:
    virtual ~Storage() = default;
    // The new report's number; on disk when this returns. Throws on failure, with nothing stored.
    virtual int64_t Add(const NewReport& report) = 0;
    // Newest first.
    virtual std::vector<ReportRow> List(const ReportFilter& filter) = 0;
    virtual std::optional<ReportDetail> Find(int64_t id) = 0;
    // For each subject, on how many reports (received in the period) it was red; most first.
    virtual std::vector<RedCount> RedSummary(std::optional<int64_t> fromMs, std::optional<int64_t> toMs) = 0;
    // Removes the reports received before the time, with their items; answers how many.
    virtual int64_t DeleteBefore(int64_t ms) = 0;
    virtual int64_t Count() = 0;
};

// "postgresql://..." (or "postgres://...") opens PostgreSQL; anything else is a SQLite file.
std::unique_ptr<Storage> OpenStorage(const std::string& address);

}  // namespace omni::desk
