// A long list read from storage a page at a time, so that an answer of 10,000 reports is written as it is
// read and never held whole.
#pragma once

#include <vector>

#include "storage.h"

namespace omni::desk {

class ReportPages {
public:
    ReportPages(Storage& storage, ReportFilter filter, int pageSize = 500);
    // The next rows of the list; empty once it is done.
    std::vector<ReportRow> Next();
    bool done() const { return left_ <= 0; }

private:
    Storage& storage_;
    ReportFilter filter_;
    const int pageSize_;
    int left_;
};

}  // namespace omni::desk
