#include "api_json.h"

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
    return {{"id", row.id},       {"ticket", row.ticket}, {"received", IsoTime(row.receivedMs)}, {"lang", row.lang},
            {"sender", row.sender}, {"items", row.items},   {"red", row.red}};
}

nlohmann::json ReportDetailJson(const ReportDetail& detail) {
    nlohmann::json json = ReportJson(detail.row);
    json["xml"] = detail.xml;
    json["ie_addons"] = detail.ieAddons;
    nlohmann::json items = nlohmann::json::array();
    for (const StoredItem& item : detail.items)
        items.push_back({{"group", item.group},
                         {"subject", item.subject},
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
    for (const RedCount& count : counts) json.push_back({{"subject", count.subject}, {"reports", count.reports}});
    return json;
}

std::string CsvHeader() {
    std::string line;
    for (const char* name : {"id", "received", "ticket", "lang", "sender", "items", "red"})
        line += (line.empty() ? "" : ",") + CsvCell(name);
    return line + "\r\n";
}

std::string CsvLine(const ReportRow& row) {
    return std::to_string(row.id) + "," + CsvCell(IsoTime(row.receivedMs)) + "," + CsvCell(row.ticket) + "," +
           CsvCell(row.lang) + "," + CsvCell(row.sender) + "," + std::to_string(row.items) + "," +
           std::to_string(row.red) + "\r\n";
}

}  // namespace omni::desk
