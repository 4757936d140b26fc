#include "api_json.h"

#include "time_text.h"

namespace omni::desk {

namespace {

std::string CsvCell(std::string text) {
    if (!text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) text.insert(0, "'");
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

nlohmann::json ReportJson(const ReportRow& row) {
    return {{"id", row.id},       {"ticket", row.ticket}, {"received", IsoTime(row.receivedMs)}, {"lang", row.lang},
            {"sender", row.sender}, {"items", row.items},   {"red", row.red}};
}

nlohmann::json ReportDetailJson(const ReportDetail& detail) {
    nlohmann::json json = ReportJson(detail.row);
    json["xml"] = detail.xml;
    json["ie_addons"] = detail.ieAddons;
    return json;
}

nlohmann::json SummaryJson(const std::vector<RedCount>& counts) {
    nlohmann::json json = nlohmann::json::array();
    for (const RedCount& count : counts) json.push_back({{"subject", count.subject}, {"reports", count.reports}});
    return json;
}

std::string ReportsCsv(const std::vector<ReportRow>& rows) {
    std::string csv = "id,received,ticket,lang,sender,items,red\r\n";
    for (const ReportRow& row : rows)
        csv += std::to_string(row.id) + "," + IsoTime(row.receivedMs) + "," + CsvCell(row.ticket) + "," +
               CsvCell(row.lang) + "," + CsvCell(row.sender) + "," + std::to_string(row.items) + "," +
               std::to_string(row.red) + "\r\n";
    return csv;
}

}  // namespace omni::desk
