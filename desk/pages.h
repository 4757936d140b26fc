// The HTML the service writes itself: the answer a user's browser window shows after a post (in the
// report's language), the pages of a refused post, and the dashboard's login form.
#pragma once

#include <cstdint>
#include <string>

#include "desk_language.h"
#include "intake.h"

namespace omni::desk {

std::string HtmlEscape(const std::string& text);

// The answer to a post, stored or refused, for the 610 x 580 window that the control opens.
std::string IntakePage(const IntakeOutcome& outcome, size_t bodyLimit);

enum class LoginMessage { None, WrongLogin, Throttled };

// The login form in the dashboard's language, with the message above it and the switch to the other
// language.
std::string LoginPage(LoginMessage message, Language language);

// The dashboard's page with its language set, which its script reads.
std::string DashboardPage(const std::string& page, Language language);

// A plain page for other errors: "404 Not found" and the like.
std::string ErrorPage(int status, const std::string& text);

}  // namespace omni::desk
