#include "control/page_standing.h"

#include "core/message_catalog.h"
#include "platform/text.h"

namespace omni {

namespace {
constexpr unsigned kConsentPageText = 321;  // "The page at %s wants to %s. Allow?"
}  // namespace

PageStanding StandingOf(const HostPolicy& policy, const std::string& pageAddress) {
    if (policy.present && policy.AllowsPage(pageAddress)) return PageStanding::kVouched;
    // Without a web origin there is nothing to name that the user could check: "a page" could be any
    // page that created the control by script, or a file that came from anywhere.
    return ParseOrigin(pageAddress).host.empty() ? PageStanding::kRefused : PageStanding::kAsk;
}

std::string ConsentQuestion(const std::string& pageAddress, const std::string& change) {
    return Format(LoadMessage(kConsentPageText).c_str(), OriginText(ParseOrigin(pageAddress)).c_str(), change.c_str());
}

}  // namespace omni
