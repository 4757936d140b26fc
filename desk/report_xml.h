// A posted report read for storage: its items, one per <item> of each <group>, and whether the text is
// a well-formed report at all. What is stored is what the dashboard shows: nothing reads the XML again.
#pragma once

#include <string>
#include <vector>

#include "storage.h"

namespace omni::desk {

struct ReadReport {
    bool wellFormed = false;
    std::string fault;  // why not, in English, for the 400 page and the log
    std::vector<StoredItem> items;
};

// The root is <diagnosis> holding <group class="..."> elements; each item has <subject>, <resultcolor>
// (six hexadecimal digits), <resultmsg> and <solutionmsg>. A report without groups (the empty report
// of a failed or refused Retrieve) is well-formed and has no items. Refused, because another XML reader
// (a browser's, a spreadsheet's) would read them otherwise: a DOCTYPE, text outside the root, an
// attribute twice in one element, and markup inside an item's texts.
ReadReport ReadReportXml(const std::string& xml);

// Red as the desk's page shows it: any colour but black.
bool IsRedColour(const std::string& colour);

}  // namespace omni::desk
