// The thin HTTP layer: each handler reads the request, calls one plain function and writes the answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <httplib.h>

#include "desk_language.h"
#include "intake.h"
#include "login.h"
#include "storage.h"

namespace omni::desk {

class DeskRoutes {
public:
    DeskRoutes(Storage& storage, Intake& intake, Login& login, bool https, std::vector<std::string> trustedProxies)
        : storage_(storage), intake_(intake), login_(login), https_(https), trustedProxies_(std::move(trustedProxies)) {}
    void Install(httplib::Server& server);

private:
    std::string Client(const httplib::Request& request) const;
    void Receive(const httplib::Request& request, httplib::Response& response, const httplib::ContentReader& reader);
    // The account when logged in; otherwise the answer is written: the login form or a challenge.
    std::optional<std::string> Allowed(const httplib::Request& request, httplib::Response& response, bool page);
    Language LanguageOf(const httplib::Request& request, httplib::Response& response) const;
    void Dashboard(const httplib::Request& request, httplib::Response& response);
    void LogIn(const httplib::Request& request, httplib::Response& response);
    void LogOut(const httplib::Request& request, httplib::Response& response);
    void Reports(const httplib::Request& request, httplib::Response& response, bool csv);
    void Report(const httplib::Request& request, httplib::Response& response);
    void Summary(const httplib::Request& request, httplib::Response& response);
    void Days(const httplib::Request& request, httplib::Response& response);
    void Ticket(const httplib::Request& request, httplib::Response& response);
    void RedTickets(const httplib::Request& request, httplib::Response& response);
    void Me(const httplib::Request& request, httplib::Response& response);

    Storage& storage_;
    Intake& intake_;
    Login& login_;
    const bool https_;
    const std::vector<std::string> trustedProxies_;
};

}  // namespace omni::desk
