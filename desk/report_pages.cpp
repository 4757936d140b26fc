#include "report_pages.h"

#include <algorithm>

namespace omni::desk {

ReportPages::ReportPages(Storage& storage, ReportFilter filter, int pageSize)
    : storage_(storage), filter_(std::move(filter)), pageSize_(pageSize), left_(filter_.limit) {}

std::vector<ReportRow> ReportPages::Next() {
    if (left_ <= 0) return {};
    filter_.limit = std::min(left_, pageSize_);
    std::vector<ReportRow> rows = storage_.List(filter_);
    left_ = rows.size() < static_cast<size_t>(filter_.limit) ? 0 : left_ - static_cast<int>(rows.size());
    if (!rows.empty()) {
        // The next page starts after the last row, wherever new reports arrived meanwhile.
        filter_.after = std::make_pair(rows.back().receivedMs, rows.back().id);
        filter_.offset = 0;
    }
    return rows;
}

}  // namespace omni::desk
