#include "api_json.h"

#include "ticket_history.h"
#include "time_text.h"

namespace omni::desk {

std::string CsvCell(std::string text) {
    if (!text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) text.insert(0, "'");
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

nlohmann::json ReportJson(const ReportRow& row) {
    nlohmann::json json = {{"id", row.id},         {"ticket", row.ticket}, {"received", IsoTime(row.receivedMs)},
                           {"lang", row.lang},     {"sender", row.sender}, {"items", row.items},
                           {"red", row.red}};
    if (!row.redKeys.empty()) json["red_items"] = row.redKeys;
    return json;
}

nlohmann::json ReportDetailJson(const ReportDetail& detail) {
    nlohmann::json json = ReportJson(detail.row);
    json["xml"] = detail.xml;
    json["ie_addons"] = detail.ieAddons;
    nlohmann::json items = nlohmann::json::array();
    for (const StoredItem& item : detail.items)
        items.push_back({{"group", item.group},
                         {"subject", item.subject},
                         {"key", item.key},
                         {"state", item.state},
                         {"colour", item.colour},
                         {"red", item.red},
                         {"result", item.result},
                         {"addition", item.addition},
                         {"solution",
                          {{"type", item.solutionType},
                           {"value", item.method},
                           {"param", item.param},
                           {"label", item.solutionLabel}}}});
    json["stored_items"] = std::move(items);
    return json;
}

nlohmann::json SummaryJson(const std::vector<RedCount>& counts) {
    nlohmann::json json = nlohmann::json::array();
    for (const RedCount& count : counts) json.push_back({{"key", count.key}, {"reports", count.reports}});
    return json;
}

nlohmann::json DaysJson(const std::vector<DayCount>& days) {
    nlohmann::json json = nlohmann::json::array();
    for (const DayCount& day : days)
        json.push_back({{"day", IsoTime(day.day * kDayMs).substr(0, 10)}, {"reports", day.reports}, {"red", day.red}});
    return json;
}

nlohmann::json TicketJson(const std::string& ticket, const TicketReports& history) {
    nlohmann::json reports = nlohmann::json::array();
    for (size_t i = 0; i < history.reports.size(); ++i) {
        const TicketReport& report = history.reports[i];
        nlohmann::json json = ReportJson(report.row);
        nlohmann::json items = nlohmann::json::array();
        for (const auto& [key, red] : report.items) items.push_back({{"key", key}, {"red", red}});
        json["stored_items"] = std::move(items);
        if (i > 0) {
            const ItemChanges changes = ChangesBetween(history.reports[i - 1], report);
            json["turned_black"] = changes.turnedBlack;
            json["turned_red"] = changes.turnedRed;
        }
        reports.push_back(std::move(json));
    }
    return {{"ticket", ticket}, {"total", history.total}, {"reports", std::move(reports)}};
}

std::string CsvHeader() {
    std::string line;
    for (const char* name : {"id", "received", "ticket", "lang", "sender", "items", "red", "red_items"})
        line += (line.empty() ? "" : ",") + CsvCell(name);
    return line + "\r\n";
}

std::string CsvLine(const ReportRow& row) {
    std::string keys;
    for (const std::string& key : row.redKeys) keys += (keys.empty() ? "" : ";") + key;
    return std::to_string(row.id) + "," + CsvCell(IsoTime(row.receivedMs)) + "," + CsvCell(row.ticket) + "," +
           CsvCell(row.lang) + "," + CsvCell(row.sender) + "," + std::to_string(row.items) + "," +
           std::to_string(row.red) + "," + CsvCell(keys) + "\r\n";
}

}  // namespace omni::desk
