#include "control/report_delivery.h"

#include <shellapi.h>
#include <mapi.h>

#include <algorithm>

#include "core/message_catalog.h"
#include "core/result_codes.h"
#include "machine/folder_mng.h"
#include "platform/file_probe.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr UINT kMailSubjectText = 225;
constexpr UINT kMailNoteText = 226;
constexpr UINT kReportTitleText = 237;
constexpr UINT kMailLinkBodyText = 239;
constexpr UINT kToolCaptionText = 248;
constexpr DWORD kFileBufferChars = 1024;
constexpr FLAGS kMapiComposeFlags = MAPI_LOGON_UI | MAPI_DIALOG;  // the user sees the compose window
constexpr ULONG kMapiUserAbort = 1;
constexpr ULONG kMapiLoginFailure = 3;
constexpr ULONG kMapiAttachmentFlags = 2;
constexpr int kMailCopyNames = 9;  // "name.xml", then "name (2).xml" ... while a mail client holds one

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
    message.nRecipCount = mailAddr.empty() ? 0 : 1;  // none: the user fills it in
    message.lpRecips = mailAddr.empty() ? nullptr : &recipient;
    message.nFileCount = 1;
    message.lpFiles = &attachment;
    return MapiSettlesMail(send(0, 0, &message, kMapiComposeFlags, 0));
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// 0, or kReportFailed with no file left behind when it cannot be written whole; held tells whether
// another program had the file open.
int WriteReport(const std::string& path, const std::string& report, bool* held = nullptr) {
    const std::wstring wide = Widen(path);
    unique_file file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (held) *held = !file && GetLastError() == ERROR_SHARING_VIOLATION;
    if (!file) return kReportFailed;
    if (WriteAll(file.get(), report)) return kOk;
    file.reset();
    DeleteFileW(wide.c_str());
    return kReportFailed;
}

bool ConfirmReplace(HWND owner, const std::string& path) {
    std::wstring text = Widen(FormatMessageWith(kReplaceQuestionText, path));
    std::wstring caption = Widen(LoadMessage(kToolCaptionText));
    // The page may have taken the control away while the save dialog was open.
    if (owner && !IsWindow(owner)) owner = nullptr;
    return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

bool UnreservedByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::string PercentEncoded(const std::string& text, bool keepAt) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (UnreservedByte(c) || (keepAt && c == '@')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
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

bool IsPlainMailAddress(const std::string& address) {
    const size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == address.size() || address.find('@', at + 1) != std::string::npos)
        return false;
    for (unsigned char c : address)
        if (c <= 0x20 || c == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>') return false;
    return true;
}

std::string CatalogueLineBreaks(const std::string& text) {
    const std::string marker = "%0A%0D";
    std::string out;
    size_t start = 0;
    for (size_t found; (found = text.find(marker, start)) != std::string::npos; start = found + marker.size())
        out += text.substr(start, found - start) + "\r\n";
    return out + text.substr(start);
}

std::string MailtoLink(const std::string& address, const std::string& subject, const std::string& body) {
    return "mailto:" + PercentEncoded(address, true) + "?subject=" + PercentEncoded(subject, false) +
           "&body=" + PercentEncoded(body, false);
}

bool MapiSettlesMail(ULONG result) {
    return result == SUCCESS_SUCCESS || result == kMapiUserAbort || result == kMapiLoginFailure;
}

void MailCopies::Remove(const std::string& path) {
    if (DeleteFileW(Widen(path).c_str())) return;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) kept_.push_back(path);
}

void MailCopies::RemoveLeftovers() {
    std::vector<std::string> kept;
    kept.swap(kept_);
    for (const std::string& path : kept) Remove(path);
}

std::string CReportDelivery::DefaultFileName() const {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return ReportFileName(now, LoadMessage(kReportTitleText));
}

int CReportDelivery::SaveTo(HWND owner) {
    if (report_.empty()) return kDiagnosisNotRun;
    std::wstring chosen = Widen(DefaultFileName());
    for (;;) {
        std::vector<wchar_t> file(kFileBufferChars, L'\0');
        chosen.copy(file.data(), kFileBufferChars - 1);
        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = owner && IsWindow(owner) ? owner : nullptr;
        dialog.lpstrFilter = L"Xml Files(*.xml)\0*.xml\0";
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = file.data();
        dialog.nMaxFile = kFileBufferChars;
        dialog.Flags = kSaveDialogFlags;
        dialog.lpstrDefExt = L"xml";  // a name typed without an extension comes back with ".xml"
        if (!GetSaveFileNameW(&dialog)) return kUserCanceled;
        chosen = file.data();
        const std::string path = WithXmlExtension(Narrow(chosen));
        if (!IsFile(path) || ConfirmReplace(owner, path)) return WriteReport(path, report_);
        // No: back to the dialog with the name as typed, as the system's own question does.
    }
}

int CReportDelivery::MailTo(const std::string& mailAddr, MailCopies& copies) {
    copies.RemoveLeftovers();  // a mail client may have let go of the last copies by now
    if (report_.empty()) return kDiagnosisNotRun;
    if (!mailAddr.empty() && !IsPlainMailAddress(mailAddr)) return kFileMissing;
    const std::string stem = GetFolderMng().GetTempFolder() + DefaultFileName();
    std::string path;
    int saved = kReportFailed;
    // A mail client may still hold the copy of a mail sent in the same minute.
    bool held = true;
    for (int n = 1; held && n <= kMailCopyNames; ++n) {
        path = n == 1 ? stem : stem.substr(0, stem.size() - 4) + Format(" (%d).xml", n);
        saved = WriteReport(path, report_, &held);
    }
    if (saved != kOk) return saved;
    const bool sent = SentThroughMapi(mailAddr, path);
    copies.Remove(path);  // the mail client has taken it, or the mail link never carries it
    if (sent) return kOk;
    std::wstring link = Widen(MailtoLink(mailAddr, LoadMessage(kMailSubjectText),
                                         CatalogueLineBreaks(LoadMessage(kMailLinkBodyText))));
    auto shell = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOW));
    return shell > 32 ? kOk : kMailFailed;
}

}  // namespace omni
