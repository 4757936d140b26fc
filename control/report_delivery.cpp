#include "control/report_delivery.h"

#include <shellapi.h>
#include <mapi.h>

#include <vector>

#include "core/result_codes.h"
#include "diagnosis/message_catalog.h"
#include "diagnosis/total_info.h"
#include "install/folder_mng.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr UINT kMailSubjectText = 225;
constexpr UINT kMailNoteText = 226;
constexpr UINT kReportTitleText = 237;
constexpr UINT kMailLinkBodyText = 239;
constexpr DWORD kFileBufferChars = 1024;
constexpr FLAGS kMapiComposeFlags = MAPI_LOGON_UI | MAPI_DIALOG;  // the user sees the compose window
constexpr ULONG kMapiUserAbort = 1;
constexpr ULONG kMapiLoginFailure = 3;
constexpr ULONG kMapiAttachmentFlags = 2;

// Simple MAPI takes text in the system's ANSI code page.
std::string ToAnsi(const std::string& utf8) {
    std::wstring wide = Widen(utf8);
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &ansi[0], size, nullptr, nullptr);
    return ansi;
}

// False when there is no Simple MAPI, or it answered a result that leaves the mail unsent.
bool SentThroughMapi(const std::string& mailAddr, const std::string& reportPath) {
    unique_hmodule mapi(LoadLibraryW(L"MAPI32.DLL"));
    if (!mapi) return false;
    auto send = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(mapi.get(), "MAPISendMail"));
    if (!send) return false;
    std::string subject = ToAnsi(LoadMessage(kMailSubjectText)), note = ToAnsi(LoadMessage(kMailNoteText));
    std::string address = ToAnsi(mailAddr), path = ToAnsi(reportPath);
    MapiRecipDesc recipient = {};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = &address[0];
    recipient.lpszAddress = &address[0];
    MapiFileDesc attachment = {};
    attachment.flFlags = kMapiAttachmentFlags;
    attachment.nPosition = static_cast<ULONG>(-1);
    attachment.lpszPathName = &path[0];
    attachment.lpszFileName = &path[0];
    MapiMessage message = {};
    message.lpszSubject = &subject[0];
    message.lpszNoteText = &note[0];
    message.nRecipCount = 1;
    message.lpRecips = &recipient;
    message.nFileCount = 1;
    message.lpFiles = &attachment;
    return MapiSettlesMail(send(0, 0, &message, kMapiComposeFlags, 0));
}

}  // namespace

std::string ReportFileName(const SYSTEMTIME& t, const std::string& title) {
    return Format("%d%02d%02d%02d%02d_%s.xml", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, title.c_str());
}

std::string WithXmlExtension(const std::string& path) {
    const std::string extension = ".xml";
    if (path.size() >= extension.size() && EqualsNoCase(path.substr(path.size() - extension.size()), extension))
        return path;
    return path + extension;
}

std::string MailtoLink(const std::string& address, const std::string& subject, const std::string& body) {
    return "mailto:" + address + "?subject=" + subject + "&body=" + body;
}

bool MapiSettlesMail(ULONG result) {
    return result == SUCCESS_SUCCESS || result == kMapiUserAbort || result == kMapiLoginFailure;
}

std::string CReportDelivery::DefaultFileName() const {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return ReportFileName(now, LoadMessage(kReportTitleText));
}

int CReportDelivery::SaveTo(HWND owner) {
    if (info_.GetReportText().empty()) return kDiagnosisNotRun;
    std::wstring name = Widen(DefaultFileName());
    std::vector<wchar_t> file(kFileBufferChars, L'\0');
    name.copy(file.data(), kFileBufferChars - 1);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Xml Files(*.xml)\0*.xml\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kFileBufferChars;
    dialog.Flags = kSaveDialogFlags;
    // The dialog then asks about the file that will really be written, not the name without ".xml".
    dialog.lpstrDefExt = L"xml";
    if (!GetSaveFileNameW(&dialog)) return kUserCanceled;
    return info_.SaveReport(WithXmlExtension(Narrow(file.data())));
}

int CReportDelivery::MailTo(const std::string& mailAddr) {
    if (info_.GetReportText().empty()) return kDiagnosisNotRun;
    const std::string path = GetFolderMng().GetTempFolder() + DefaultFileName();
    int saved = info_.SaveReport(path);
    if (saved != kOk) return saved;
    if (SentThroughMapi(mailAddr, path)) return kOk;
    std::wstring link = Widen(MailtoLink(mailAddr, LoadMessage(kMailSubjectText), LoadMessage(kMailLinkBodyText)));
    auto shell = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOW));
    return shell > 32 ? kOk : kMailFailed;
}

}  // namespace omni
