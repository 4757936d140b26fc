// Whether a page may install code or weaken a security setting, and in whose name it is asked.
#pragma once

#include <string>

#include "control/host_policy.h"

namespace omni {

enum class PageStanding {
    kVouched,  // the host policy allows the page: no question
    kAsk,      // an http or https page: the user is asked, in the name of its origin
    kRefused,  // no origin that the user could judge: a local file, about:blank, a control without a site
};

PageStanding StandingOf(const HostPolicy& policy, const std::string& pageAddress);

// "The page at http://desk.example:8080 wants to install Quadrel.ocx. Allow?", in the catalogue's current
// language; change as InstallChange and its kin give it.
std::string ConsentQuestion(const std::string& pageAddress, const std::string& change);

}  // namespace omni
