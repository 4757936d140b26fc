// Saving and mailing the last report: the file name, the save dialog, Simple MAPI and the mail link.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace omni {

class CTotalInfo;

// The save dialog must accept a new name (so no OFN_FILEMUSTEXIST) and must ask before replacing a file.
inline constexpr DWORD kSaveDialogFlags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;

// "YYYYMMDDhhmm_<title>.xml" from the local time.
std::string ReportFileName(const SYSTEMTIME& localTime, const std::string& title);
// The path as chosen, with ".xml" appended unless it already ends so (in any case).
std::string WithXmlExtension(const std::string& path);
// "mailto:<address>?subject=<subject>&body=<body>", the parts inserted as they are.
std::string MailtoLink(const std::string& address, const std::string& subject, const std::string& body);
// Simple MAPI results that end MailTo: success, the user's abort and a failed logon.
bool MapiSettlesMail(ULONG result);

class CReportDelivery {
public:
    explicit CReportDelivery(CTotalInfo& info) : info_(info) {}
    virtual ~CReportDelivery() = default;

    // 0 saved; -95 no report yet; -80 cancelled; the save's own code when the file cannot be written.
    int SaveTo(HWND owner);
    // 0 handed on; -95 no report yet; the save's code when the attachment cannot be written; -97 when
    // neither Simple MAPI nor the mail link could be started.
    int MailTo(const std::string& mailAddr);

private:
    std::string DefaultFileName() const;

    CTotalInfo& info_;
};

}  // namespace omni
