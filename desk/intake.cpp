#include "intake.h"

#include <strings.h>

#include "form_body.h"
#include "report_xml.h"

namespace omni::desk {

namespace {

constexpr size_t kTicketLimit = 1000;

bool IsTicket(const std::string& ticket) {
    if (ticket.size() > kTicketLimit || !IsUtf8(ticket)) return false;
    for (unsigned char c : ticket)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

IntakeOutcome Refused(IntakeResult result, int status, bool korean = false, std::string detail = "") {
    IntakeOutcome outcome;
    outcome.result = result;
    outcome.status = status;
    outcome.korean = korean;
    outcome.detail = std::move(detail);
    return outcome;
}

}  // namespace

bool IsKorean(const std::string& lang) { return strcasecmp(lang.c_str(), "kor") == 0; }

Intake::Intake(Storage& storage, size_t bodyLimit, int postsPerMinute)
    : storage_(storage), bodyLimit_(bodyLimit), rate_(postsPerMinute) {}

IntakeOutcome Intake::Receive(const Incoming& post) {
    if (post.overLimit || post.body.size() > bodyLimit_) return Refused(IntakeResult::TooLarge, 413);
    if (!rate_.Allow(post.sender, post.receivedMs)) return Refused(IntakeResult::TooMany, 429);
    FormResult form = ParseReportForm(post.body);
    switch (form.fault) {
    case FormFault::None: break;
    case FormFault::NotTheThreeFields: return Refused(IntakeResult::NotTheThreeFields, 400);
    case FormFault::BadEscape: return Refused(IntakeResult::BadEscape, 400);
    case FormFault::NotText: return Refused(IntakeResult::NotText, 400);
    }
    const bool korean = IsKorean(form.report.lang);
    if (!IsTicket(post.ticket)) return Refused(IntakeResult::BadTicket, 400, korean);
    ReadReport read = ReadReportXml(form.report.diagnosis);
    if (!read.wellFormed) return Refused(IntakeResult::NotAReport, 400, korean, read.fault);
    NewReport report;
    report.receivedMs = post.receivedMs;
    report.sender = post.sender;
    report.ticket = post.ticket;
    report.lang = form.report.lang;
    report.xml = std::move(form.report.diagnosis);
    report.ieAddons = std::move(form.report.ieAddons);
    report.items = std::move(read.items);
    IntakeOutcome stored;
    stored.id = storage_.Add(report);
    stored.korean = korean;
    return stored;
}

}  // namespace omni::desk
