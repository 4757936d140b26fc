// A ticket's reports side by side: what changed from one report to the next, so that a desk sees whether
// the repair it asked for helped.
#pragma once

#include <string>
#include <vector>

#include "storage.h"

namespace omni::desk {

struct ItemChanges {
    std::vector<std::string> turnedBlack;  // red in the earlier report, black in the later one
    std::vector<std::string> turnedRed;    // red in the later report, and not in the earlier one
};

// By key, in the later report's order; an item that the later report does not hold did not change.
ItemChanges ChangesBetween(const TicketReport& earlier, const TicketReport& later);

}  // namespace omni::desk
