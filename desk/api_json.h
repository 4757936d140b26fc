// The API's answers: reports as JSON objects, the red summary, and the list as CSV.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage.h"

namespace omni::desk {

// id, ticket, received (ISO 8601), lang, sender, items, red.
nlohmann::json ReportJson(const ReportRow& row);
// The same plus xml and ie_addons, exactly as received, and stored_items: the items as the service read them.
nlohmann::json ReportDetailJson(const ReportDetail& detail);
nlohmann::json SummaryJson(const std::vector<RedCount>& counts);

// RFC 4180 lines (CR LF), every text cell quoted; a cell that a spreadsheet would take for a formula
// starts with "'".
std::string CsvHeader();
std::string CsvLine(const ReportRow& row);
std::string CsvCell(std::string text);

}  // namespace omni::desk
