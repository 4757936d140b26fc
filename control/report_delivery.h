// Saving and mailing the last report: the file name, the save dialog, Simple MAPI and the mail link.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

namespace omni {

// The save dialog must accept a new name (so no OFN_FILEMUSTEXIST). It asks nothing before replacing:
// ".xml" may still be appended to the name chosen, so SaveTo asks itself about the file really written.
inline constexpr DWORD kSaveDialogFlags = OFN_PATHMUSTEXIST;
inline constexpr unsigned kReplaceQuestionText = 298;  // "%s already exists. ... replace it?"

// "YYYYMMDDhhmm_<title>.xml" from the local time.
std::string ReportFileName(const SYSTEMTIME& localTime, const std::string& title);
// The path as chosen, with ".xml" appended unless it already ends so (in any case).
std::string WithXmlExtension(const std::string& path);
// One "@" with text on both sides, and no blank, quote, angle bracket or control character: what may
// reach the mail program as a recipient.
bool IsPlainMailAddress(const std::string& address);
// The catalogue's mail body marks its line breaks "%0A%0D"; each becomes a real line break (CR LF).
std::string CatalogueLineBreaks(const std::string& text);
// "mailto:<address>?subject=<subject>&body=<body>" by RFC 6068: every byte of each part (UTF-8) other
// than a letter, digit, "-", ".", "_", "~" (and the address's "@") is percent-encoded, so no quote or
// blank reaches the mail program's command line. An empty address leaves the recipient to the user.
std::string MailtoLink(const std::string& address, const std::string& subject, const std::string& body);
// Simple MAPI results that end MailTo: success, the user's abort and a failed logon.
bool MapiSettlesMail(ULONG result);

// The report copies that MailTo hands to the mail system, removed once the mail client lets go of them.
class MailCopies {
public:
    MailCopies() = default;
    ~MailCopies() { RemoveLeftovers(); }
    MailCopies(const MailCopies&) = delete;
    MailCopies& operator=(const MailCopies&) = delete;

    // Removes the copy now, or keeps it for later while a mail client holds it open.
    void Remove(const std::string& path);
    // Tries again for every copy kept.
    void RemoveLeftovers();

private:
    std::vector<std::string> kept_;
};

class CReportDelivery {
public:
    // The report as the page last received it, copied: a dialog lets the page run meanwhile.
    explicit CReportDelivery(std::string report) : report_(std::move(report)) {}
    virtual ~CReportDelivery() = default;

    // 0 saved; -95 no report yet; -80 cancelled; -98 when the file cannot be written. When the file
    // to be written exists, the user is asked about it by its full name (owner: the control's window,
    // while it has one); No goes back to the dialog.
    int SaveTo(HWND owner);
    // 0 handed on; -95 no report yet; -31 for an address that is not a plain address; -98 when the
    // attachment cannot be written; -97 when neither Simple MAPI nor the mail link could be started.
    // The attachment is removed once the mail system returns, or later through copies.
    int MailTo(const std::string& mailAddr, MailCopies& copies);

private:
    std::string DefaultFileName() const;

    std::string report_;
};

}  // namespace omni
