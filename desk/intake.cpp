#include "intake.h"

#include <strings.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "form_body.h"
#include "report_xml.h"

namespace omni::desk {

namespace {

constexpr size_t kTicketLimit = 1000;
constexpr size_t kLanguageLimit = 16;

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

bool IsTicket(const std::string& ticket) {
    if (ticket.size() > kTicketLimit) return false;
    const auto* text = reinterpret_cast<const uint8_t*>(ticket.data());
    const int32_t length = static_cast<int32_t>(ticket.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(text, i, length, c);
        if (c < 0) return false;  // not UTF-8
        const int8_t type = u_charType(c);
        if (type == U_CONTROL_CHAR || type == U_FORMAT_CHAR) return false;
    }
    return true;
}

bool IsLanguageCode(const std::string& lang) {
    if (lang.size() > kLanguageLimit) return false;
    for (char c : lang)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return false;
    return true;
}

Intake::Intake(Storage& storage, IntakeLimits limits)
    : storage_(storage), limits_(limits), rate_(storage, "post", limits.postsPerMinute) {}

IntakeOutcome Intake::Receive(const Incoming& post) {
    // Every post counts toward the rate, whatever else is wrong with it.
    if (!rate_.Allow(post.sender, post.receivedMs)) return Refused(IntakeResult::TooMany, 429);
    if (post.overLimit || post.body.size() > limits_.bodyLimit) return Refused(IntakeResult::TooLarge, 413);
    FormResult form = ParseReportForm(post.body);
    switch (form.fault) {
    case FormFault::None: break;
    case FormFault::NotTheThreeFields: return Refused(IntakeResult::NotTheThreeFields, 400);
    case FormFault::BadEscape: return Refused(IntakeResult::BadEscape, 400);
    case FormFault::NotText: return Refused(IntakeResult::NotText, 400);
    }
    if (!IsLanguageCode(form.report.lang)) return Refused(IntakeResult::BadLang, 400);
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
    const std::optional<int64_t> id = storage_.Add(report, limits_.dailyQuotaBytes);
    if (!id) return Refused(IntakeResult::OverQuota, 429, korean);
    IntakeOutcome stored;
    stored.id = *id;
    stored.korean = korean;
    return stored;
}

}  // namespace omni::desk
