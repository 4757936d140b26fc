// The API's answers: reports as JSON objects, the red summary, the days, a ticket's history, and the list
// as CSV.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage.h"

namespace omni::desk {

// id, ticket, received (ISO 8601), lang, sender, items, red; and red_items (keys) when the row has them.
nlohmann::json ReportJson(const ReportRow& row);
// The same plus xml and ie_addons, exactly as received, and stored_items: the items as the service read them.
nlohmann::json ReportDetailJson(const ReportDetail& detail);
// [{key, reports}]
nlohmann::json SummaryJson(const std::vector<RedCount>& counts);
// [{day: "2026-12-07", reports, red}]
nlohmann::json DaysJson(const std::vector<DayCount>& days);
// {ticket, total, reports: [{...ReportJson, stored_items: [{key, red}], turned_black, turned_red}]}; the first
// report has no changes.
nlohmann::json TicketJson(const std::string& ticket, const TicketReports& history);

// RFC 4180 lines (CR LF), every text cell quoted; a cell that a spreadsheet would take for a formula
// starts with "'". The last column holds the keys of the red items, separated by ";".
std::string CsvHeader();
std::string CsvLine(const ReportRow& row);
std::string CsvCell(std::string text);

}  // namespace omni::desk
