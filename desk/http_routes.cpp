#include "http_routes.h"

#include <cstdio>
#include <memory>

#include "api_json.h"
#include "bounded_server.h"
#include "client_address.h"
#include "form_body.h"
#include "pages.h"
#include "report_filter.h"
#include "report_pages.h"
#include "static_assets.h"
#include "time_text.h"

namespace omni::desk {

namespace {

const char kHtml[] = "text/html; charset=utf-8";
const char kJson[] = "application/json; charset=utf-8";
// A ticket's history shows its newest reports, so that a ticket that a page sends for every user stays one page.
constexpr int kTicketHistoryLimit = 200;

std::function<std::optional<std::string>(const char*)> Parameters(const httplib::Request& request) {
    return [&request](const char* name) -> std::optional<std::string> {
        if (!request.has_param(name)) return std::nullopt;
        return request.get_param_value(name);
    };
}

// The service stores only UTF-8, but a database shared with other writers may hold other bytes.
std::string JsonText(const nlohmann::json& json) { return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

void Json(httplib::Response& response, const nlohmann::json& json) { response.set_content(JsonText(json), kJson); }

const char* StatusText(int status) {
    switch (status) {
    case 400: return "Bad request";
    case 404: return "Not found";
    case 405: return "Method not allowed";
    case 408: return "The request did not arrive in time";
    case 413: return "Too large";
    case 414: return "Address too long";
    case 431: return "The request's head is larger than the desk accepts";
    default: return "Error";
    }
}

void JsonError(httplib::Response& response, int status, const std::string& error) {
    response.status = status;
    Json(response, {{"error", error}});
}

}  // namespace

void DeskRoutes::Install(httplib::Server& server) {
    using namespace std::placeholders;
    server.Post("/report", [this](const httplib::Request& q, httplib::Response& r, const httplib::ContentReader& c) {
        Receive(q, r, c);
    });
    server.Get("/", [this](const httplib::Request& q, httplib::Response& r) { Dashboard(q, r); });
    server.Get("/tickets/(.+)", [this](const httplib::Request& q, httplib::Response& r) { Dashboard(q, r); });
    server.Post("/login", [this](const httplib::Request& q, httplib::Response& r) { LogIn(q, r); });
    server.Post("/logout", [this](const httplib::Request& q, httplib::Response& r) { LogOut(q, r); });
    server.Get("/api/reports", [this](const httplib::Request& q, httplib::Response& r) { Reports(q, r, false); });
    server.Get("/api/reports\\.csv", [this](const httplib::Request& q, httplib::Response& r) { Reports(q, r, true); });
    server.Get("/api/reports/([0-9]{1,18})", [this](const httplib::Request& q, httplib::Response& r) { Report(q, r); });
    server.Get("/api/summary", [this](const httplib::Request& q, httplib::Response& r) { Summary(q, r); });
    server.Get("/api/days", [this](const httplib::Request& q, httplib::Response& r) { Days(q, r); });
    server.Get("/api/tickets/(.+)", [this](const httplib::Request& q, httplib::Response& r) { Ticket(q, r); });
    server.Get("/api/red-tickets", [this](const httplib::Request& q, httplib::Response& r) { RedTickets(q, r); });
    server.Get("/api/me", [this](const httplib::Request& q, httplib::Response& r) { Me(q, r); });
    // The scripts and style hold no report: the login page uses the style before anyone has logged in.
    server.Get("/static/([a-z_]{1,32}\\.(?:js|css))", [](const httplib::Request& q, httplib::Response& r) {
        const std::string name = q.matches[1];
        const std::optional<std::string_view> asset = StaticAsset(name);
        if (!asset) {
            r.status = 404;
            return;
        }
        r.set_content(std::string(*asset), name.substr(name.size() - 3) == ".js" ? "text/javascript; charset=utf-8"
                                                                                   : "text/css; charset=utf-8");
    });
    server.set_error_handler([this](const httplib::Request&, httplib::Response& response) {
        if (const int refused = BoundedServer::RefusedStatus()) {  // the library saw only a broken request
            response.status = refused;
            response.body.clear();
        }
        if (!response.body.empty()) return;
        if (response.status == 413) {  // refused on its length before any handler ran
            IntakeOutcome outcome;
            outcome.result = IntakeResult::TooLarge;
            response.set_content(IntakePage(outcome, intake_.bodyLimit()), kHtml);
        } else {
            response.set_content(ErrorPage(response.status, StatusText(response.status)), kHtml);
        }
    });
    server.set_exception_handler([](const httplib::Request& request, httplib::Response& response, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "omniprobe-desk: %s %s failed: %s\n", request.method.c_str(), request.path.c_str(), e.what());
        } catch (...) {
            std::fprintf(stderr, "omniprobe-desk: %s %s failed\n", request.method.c_str(), request.path.c_str());
        }
        response.status = 500;
        response.set_content(ErrorPage(500, "The desk could not do that"), kHtml);
    });
    // Nothing the desk serves is to be framed, sniffed, cached or to run scripts from elsewhere.
    server.set_default_headers({{"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'; form-action 'self'"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Referrer-Policy", "no-referrer"},
                                {"Cache-Control", "no-store"}});
}

std::string DeskRoutes::Client(const httplib::Request& request) const {
    return ClientAddress(request.remote_addr, request.get_header_value(kClientHeader), trustedProxies_);
}

void DeskRoutes::Receive(const httplib::Request& request, httplib::Response& response,
                         const httplib::ContentReader& reader) {
    Incoming post;
    post.sender = Client(request);
    post.ticket = request.get_param_value("ticket");
    // Read up to one byte past the limit: enough to know it is too large.
    const bool read = reader([&](const char* data, size_t length) {
        post.body.append(data, std::min(length, intake_.bodyLimit() + 1 - post.body.size()));
        return post.body.size() <= intake_.bodyLimit();
    });
    // The library refuses a Content-Length over the limit itself (413) and skips that body.
    post.overLimit = response.status == 413 || post.body.size() > intake_.bodyLimit();
    if (!read && !post.overLimit) {
        const int refused = BoundedServer::RefusedStatus();
        response.status = refused ? refused : 400;  // the body broke off, or did not arrive in time
        std::printf("report from %s refused: %d\n", post.sender.c_str(), response.status);
        std::fflush(stdout);
        return;
    }
    post.receivedMs = NowMs();
    const IntakeOutcome outcome = intake_.Receive(post);
    response.status = outcome.status;
    if (outcome.result == IntakeResult::TooMany) response.set_header("Retry-After", "60");
    if (outcome.result == IntakeResult::OverQuota)
        response.set_header("Retry-After", std::to_string((86400000 - post.receivedMs % 86400000) / 1000 + 1));
    response.set_content(IntakePage(outcome, intake_.bodyLimit()), kHtml);
    if (outcome.result == IntakeResult::Stored)
        std::printf("report %lld stored: from %s, ticket \"%s\", answered in %s\n", static_cast<long long>(outcome.id),
                    post.sender.c_str(), post.ticket.c_str(), outcome.korean ? "Korean" : "English");
    else
        std::printf("report from %s refused: %d\n", post.sender.c_str(), outcome.status);
    std::fflush(stdout);
}

// A page answers a missing or wrong login with the login form, the API with a Basic challenge.
std::optional<std::string> DeskRoutes::Allowed(const httplib::Request& request, httplib::Response& response, bool page) {
    const std::string cookie = request.get_header_value("Cookie");
    std::string account;
    const Access access =
        login_.Check(request.get_header_value("Authorization"), cookie, Client(request), NowMs(), account);
    if (access == Access::Allowed) return account;
    if (access == Access::Throttled) {
        response.status = 429;
        response.set_header("Retry-After", "60");
    } else {
        response.status = 401;
        if (!page && CookieValue(cookie, kSessionCookie).empty())
            response.set_header("WWW-Authenticate", "Basic realm=\"Omniprobe desk\", charset=\"UTF-8\"");
    }
    if (page)
        response.set_content(LoginPage(access == Access::Throttled ? LoginMessage::Throttled : LoginMessage::None,
                                       LanguageOf(request, response)),
                             kHtml);
    else JsonError(response, response.status, access == Access::Throttled ? "too many failed logins" : "login required");
    return std::nullopt;
}

// The switch's choice is kept in a cookie, so that every page after it, the login form too, follows it.
Language DeskRoutes::LanguageOf(const httplib::Request& request, httplib::Response& response) const {
    const std::string asked = request.get_param_value("lang");
    if (const std::optional<Language> chosen = LanguageOfCode(asked))
        response.set_header("Set-Cookie", std::string(kLanguageCookie) + "=" + CodeOf(*chosen) +
                                              "; Path=/; Max-Age=31536000; SameSite=Strict" + (https_ ? "; Secure" : ""));
    return ChooseLanguage(asked, request.get_header_value("Cookie"), request.get_header_value("Accept-Language"));
}

void DeskRoutes::Dashboard(const httplib::Request& request, httplib::Response& response) {
    if (!Allowed(request, response, true)) return;
    response.set_content(DashboardPage(std::string(*StaticAsset("dashboard.html")), LanguageOf(request, response)), kHtml);
}

// The fields come from the form's body only: a password in the address would stay in logs and histories.
void DeskRoutes::LogIn(const httplib::Request& request, httplib::Response& response) {
    std::string token;
    const Access access = login_.Open(FormField(request.body, "user"), FormField(request.body, "password"),
                                      Client(request), NowMs(), token);
    if (access != Access::Allowed) {
        response.status = access == Access::Throttled ? 429 : 401;
        response.set_content(LoginPage(access == Access::Throttled ? LoginMessage::Throttled : LoginMessage::WrongLogin,
                                       LanguageOf(request, response)),
                             kHtml);
        return;
    }
    response.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + token + "; Path=/; HttpOnly; SameSite=Strict" +
                                          (https_ ? "; Secure" : ""));
    response.set_redirect("/", 303);
}

void DeskRoutes::LogOut(const httplib::Request& request, httplib::Response& response) {
    login_.Close(request.get_header_value("Cookie"));
    response.set_header("Set-Cookie", std::string(kSessionCookie) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict");
    response.set_redirect("/", 303);
}

// Written a page at a time as it is read from storage. The JSON list says its whole count in X-Total-Count.
void DeskRoutes::Reports(const httplib::Request& request, httplib::Response& response, bool csv) {
    if (!Allowed(request, response, false)) return;
    ReportFilter filter;
    if (auto error = ReadReportFilter(Parameters(request), csv ? kMaxListLimit : 100, filter))
        return JsonError(response, 400, *error);
    filter.withRedKeys = csv;
    struct Listing {
        ReportPages pages;
        bool begun = false, anyRow = false;
    };
    auto listing = std::make_shared<Listing>(Listing{ReportPages(storage_, filter)});
    if (csv) response.set_header("Content-Disposition", "attachment; filename=\"omniprobe-reports.csv\"");
    else response.set_header("X-Total-Count", std::to_string(storage_.CountReports(filter)));
    response.set_chunked_content_provider(csv ? "text/csv; charset=utf-8" : kJson,
                                          [listing, csv](size_t, httplib::DataSink& sink) {
        std::string text;
        if (!listing->begun) text = csv ? CsvHeader() : "[";
        listing->begun = true;
        try {
            for (const ReportRow& row : listing->pages.Next()) {
                if (!csv && listing->anyRow) text += ",";
                text += csv ? CsvLine(row) : JsonText(ReportJson(row));
                listing->anyRow = true;
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "omniprobe-desk: the list broke off: %s\n", e.what());
            return false;  // the answer ends unfinished, so the client sees that it failed
        }
        if (listing->pages.done() && !csv) text += "]";
        if (!text.empty() && !sink.write(text.data(), text.size())) return false;
        if (listing->pages.done()) sink.done();
        return true;
    });
}

void DeskRoutes::Report(const httplib::Request& request, httplib::Response& response) {
    const std::optional<std::string> account = Allowed(request, response, false);
    if (!account) return;
    const std::optional<ReportDetail> found = storage_.Find(std::stoll(request.matches[1]));
    if (!found) return JsonError(response, 404, "no such report");
    storage_.RecordViews(*account, {found->row.id}, Client(request), NowMs());
    Json(response, ReportDetailJson(*found));
}

void DeskRoutes::Summary(const httplib::Request& request, httplib::Response& response) {
    if (!Allowed(request, response, false)) return;
    std::optional<int64_t> from, to;
    if (auto error = ReadPeriod(Parameters(request), from, to)) return JsonError(response, 400, *error);
    Json(response, SummaryJson(storage_.RedSummary(from, to)));
}

// Whole UTC days: those that "from" and "to" fall in, both included.
void DeskRoutes::Days(const httplib::Request& request, httplib::Response& response) {
    if (!Allowed(request, response, false)) return;
    std::optional<int64_t> from, to;
    if (auto error = ReadPeriod(Parameters(request), from, to)) return JsonError(response, 400, *error);
    const PeriodParts days = SplitByDays(from ? std::optional<int64_t>(*from / kDayMs * kDayMs) : std::nullopt,
                                         to ? std::optional<int64_t>((*to + kDayMs - 1) / kDayMs * kDayMs) : std::nullopt);
    Json(response, DaysJson(storage_.Days(days.firstDay, days.endDay)));
}

// What the ticket's reports show is on record as viewed, as one report's page is.
void DeskRoutes::Ticket(const httplib::Request& request, httplib::Response& response) {
    const std::optional<std::string> account = Allowed(request, response, false);
    if (!account) return;
    const std::string ticket = request.matches[1];
    const TicketReports history = storage_.Ticket(ticket, kTicketHistoryLimit);
    std::vector<int64_t> shown;
    for (const TicketReport& report : history.reports) shown.push_back(report.row.id);
    if (!shown.empty()) storage_.RecordViews(*account, shown, Client(request), NowMs());
    Json(response, TicketJson(ticket, history));
}

void DeskRoutes::RedTickets(const httplib::Request& request, httplib::Response& response) {
    if (!Allowed(request, response, false)) return;
    ReportFilter filter;
    if (auto error = ReadReportFilter(Parameters(request), 100, filter)) return JsonError(response, 400, *error);
    filter.ticket.reset();
    nlohmann::json rows = nlohmann::json::array();
    for (const ReportRow& row : storage_.RedTickets(filter)) rows.push_back(ReportJson(row));
    Json(response, rows);
}

void DeskRoutes::Me(const httplib::Request& request, httplib::Response& response) {
    const std::optional<std::string> account = Allowed(request, response, false);
    if (account) Json(response, {{"account", *account}});
}

}  // namespace omni::desk
