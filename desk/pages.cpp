#include "pages.h"

namespace omni::desk {

namespace {

struct Texts {
    const char* title;
    const char* stored;     // %1: the report's number
    const char* refused;    // the first line of a refused post
    const char* tooLarge;   // %1: the limit in KB
    const char* tooMany;
    const char* overQuota;
    const char* notFields;
    const char* badEscape;
    const char* notText;
    const char* badLang;
    const char* notReport;
    const char* badTicket;
    const char* close;
};

const Texts kEnglish = {
    "Talvek Diagnostic Tool",
    "Your diagnosis report has arrived at the support desk. Its number is %1.",
    "The support desk could not take this report.",
    "The report is larger than the desk accepts (%1 KB).",
    "Too many reports came from this address in a short time. Please try again in a minute.",
    "This address has sent more reports today than the desk keeps for one address. Please try again tomorrow.",
    "The post does not hold exactly the three fields txt_diagnosis, txt_ie_addons and txt_lang.",
    "A field holds a \"%\" that is not followed by two hexadecimal digits.",
    "A field is not UTF-8 text.",
    "The language field is not a short language code.",
    "The diagnosis is not a well-formed report",
    "The ticket in the address is not text.",
    "You can close this window.",
};

const Texts kKorean = {
    "시청환경 점검 도구",
    "점검 결과가 고객지원 센터에 접수되었습니다. 접수 번호는 %1입니다.",
    "고객지원 센터에서 이 점검 결과를 받을 수 없습니다.",
    "점검 결과가 접수 가능한 크기(%1 KB)보다 큽니다.",
    "이 주소에서 짧은 시간에 너무 많은 점검 결과가 전송되었습니다. 1분 후에 다시 시도해 주십시오.",
    "이 주소에서 오늘 보낸 점검 결과가 고객지원 센터가 한 주소에서 받는 양을 넘었습니다. 내일 다시 시도해 주십시오.",
    "전송 내용에 txt_diagnosis, txt_ie_addons, txt_lang 세 항목이 정확히 들어 있지 않습니다.",
    "항목에 16진수 두 자리가 뒤따르지 않는 \"%\"가 있습니다.",
    "항목이 UTF-8 텍스트가 아닙니다.",
    "언어 항목이 짧은 언어 코드가 아닙니다.",
    "점검 결과가 올바른 형식의 보고서가 아닙니다",
    "주소의 티켓 번호가 텍스트가 아닙니다.",
    "이 창을 닫으셔도 됩니다.",
};

std::string Replace(std::string text, const std::string& value) {
    const size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

std::string Document(const char* lang, const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"" + std::string(lang) +
           "\"><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
           "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\"><title>" +
           HtmlEscape(title) + "</title><link rel=\"stylesheet\" href=\"/static/dashboard.css\"></head>\n<body class=\"page\">" +
           body + "</body></html>\n";
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string IntakePage(const IntakeOutcome& outcome, size_t bodyLimit) {
    const Texts& t = outcome.korean ? kKorean : kEnglish;
    const char* lang = outcome.korean ? "ko" : "en";
    const std::string closing = "<p>" + HtmlEscape(t.close) + "</p>";
    if (outcome.result == IntakeResult::Stored)
        return Document(lang, t.title, "<h1>" + HtmlEscape(t.title) + "</h1><p id=\"answer\">" +
                                           HtmlEscape(Replace(t.stored, std::to_string(outcome.id))) + "</p>" + closing);
    std::string why;
    switch (outcome.result) {
    case IntakeResult::TooLarge: why = Replace(t.tooLarge, std::to_string(bodyLimit / 1024)); break;
    case IntakeResult::TooMany: why = t.tooMany; break;
    case IntakeResult::OverQuota: why = t.overQuota; break;
    case IntakeResult::BadLang: why = t.badLang; break;
    case IntakeResult::NotTheThreeFields: why = t.notFields; break;
    case IntakeResult::BadEscape: why = t.badEscape; break;
    case IntakeResult::NotText: why = t.notText; break;
    case IntakeResult::NotAReport: why = std::string(t.notReport) + ": " + outcome.detail + "."; break;
    case IntakeResult::BadTicket: why = t.badTicket; break;
    case IntakeResult::Stored: break;
    }
    return Document(lang, t.title, "<h1>" + HtmlEscape(t.title) + "</h1><p>" + HtmlEscape(t.refused) +
                                       "</p><p id=\"why\">" + HtmlEscape(why) + "</p>");
}

std::string LoginPage(LoginMessage message, Language language) {
    struct LoginTexts {
        const char* name;
        const char* title;
        const char* user;
        const char* password;
        const char* logIn;
        const char* wrong;
        const char* throttled;
        const char* otherCode;      // the other language, named in itself
        const char* otherLanguage;
    };
    static const LoginTexts kEnglishLogin = {
        "Omniprobe desk", "Omniprobe desk: log in", "User", "Password", "Log in", "Wrong user or password.",
        "Too many failed logins: wait a minute.", "ko", "한국어"};
    static const LoginTexts kKoreanLogin = {
        "옴니프로브 고객지원 데스크", "옴니프로브 고객지원 데스크: 로그인", "사용자", "비밀번호", "로그인",
        "사용자 이름 또는 비밀번호가 틀렸습니다.", "로그인 실패가 너무 많습니다. 1분 후에 다시 시도하십시오.", "en", "English"};
    const LoginTexts& t = language == Language::Korean ? kKoreanLogin : kEnglishLogin;
    std::string body = "<p class=\"switch\"><a id=\"language\" lang=\"" + std::string(t.otherCode) + "\" href=\"/?lang=" +
                       t.otherCode + "\">" + t.otherLanguage + "</a></p><h1>" + HtmlEscape(t.name) + "</h1>";
    if (message != LoginMessage::None)
        body += "<p id=\"login-message\" class=\"warning\">" +
                HtmlEscape(message == LoginMessage::Throttled ? t.throttled : t.wrong) + "</p>";
    body += "<form method=\"post\" action=\"/login\" id=\"login\">"
            "<p><label for=\"user\">" + HtmlEscape(t.user) + "</label> <input id=\"user\" name=\"user\" value=\"desk\""
            " autocomplete=\"username\"></p>"
            "<p><label for=\"password\">" + HtmlEscape(t.password) + "</label> <input id=\"password\" name=\"password\""
            " type=\"password\" autocomplete=\"current-password\" autofocus></p>"
            "<p><button type=\"submit\">" + HtmlEscape(t.logIn) + "</button></p></form>";
    return Document(CodeOf(language), t.title, body);
}

std::string DashboardPage(const std::string& page, Language language) {
    std::string text = page;
    const std::string marker = "lang=\"en\"";
    if (const size_t at = text.find(marker); at != std::string::npos)
        text.replace(at, marker.size(), std::string("lang=\"") + CodeOf(language) + "\"");
    return text;
}

std::string ErrorPage(int status, const std::string& text) {
    return Document("en", std::to_string(status) + " " + text, "<h1>" + std::to_string(status) + " " + HtmlEscape(text) + "</h1>");
}

}  // namespace omni::desk
