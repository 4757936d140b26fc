#include "ticket_history.h"

#include <map>

namespace omni::desk {

ItemChanges ChangesBetween(const TicketReport& earlier, const TicketReport& later) {
    std::map<std::string, bool> before;
    for (const auto& [key, red] : earlier.items) before[key] = red;
    ItemChanges changes;
    for (const auto& [key, red] : later.items) {
        const auto found = before.find(key);
        const bool wasRed = found != before.end() && found->second;
        if (red && !wasRed) changes.turnedRed.push_back(key);
        if (!red && wasRed) changes.turnedBlack.push_back(key);
    }
    return changes;
}

}  // namespace omni::desk
