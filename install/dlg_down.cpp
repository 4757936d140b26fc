#include "install/dlg_down.h"

#include <commctrl.h>
#include <wininet.h>

#include "core/message_catalog.h"
#include "core/web_address.h"
#include "dialogs/dialog_template.h"
#include "dialogs/display_dialog.h"
#include "platform/text.h"
#include "resources/resource_ids.h"

namespace omni {

namespace {

// What the system would name a session opened by this module; servers see it as the user agent.
constexpr wchar_t kAgent[] = L"Omniprobe";
constexpr DWORD_PTR kRequestContext = 1;

std::wstring WindowTextOf(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
    return text;
}

bool QueryNumber(HINTERNET request, DWORD query, DWORD& value) {
    DWORD size = sizeof(value);
    DWORD index = 0;
    return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index) != FALSE;
}

// The announced length, read as text: the system's number is 32 bits wide and would wrap round. A length
// past the cap reads as one byte more than the cap. False when there is none or it is not a number.
bool QueryContentLength(HINTERNET request, uint64_t& length) {
    wchar_t text[32] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    DWORD index = 0;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index) || !*text) return false;
    length = 0;
    for (const wchar_t* digit = text; *digit; ++digit) {
        if (*digit < L'0' || *digit > L'9') return false;
        length = length > kDownloadMaxBytes ? length : length * 10 + static_cast<uint64_t>(*digit - L'0');
    }
    if (length > kDownloadMaxBytes) length = kDownloadMaxBytes + 1;
    return true;
}

}  // namespace

CDlgDown::CDlgDown() = default;
CDlgDown::~CDlgDown() = default;

void CDlgDown::SetSource(const std::string& address, const std::string& localPath) {
    address_ = address;
    localPath_ = localPath;
}

void CDlgDown::SetDisplayName(const std::string& name) { displayName_ = " " + name; }

INT_PTR CDlgDown::DoModal() {
    success_ = 0;
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    INT_PTR result = ShowCatalogDialog(IDD_DOWNLOAD, nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    // However the dialog went away (even by a fault in a handler), nothing of the transfer stays open.
    running_ = false;
    CloseTransfer();
    dialog_ = nullptr;
    if (created_ && !Succeeded()) DeleteFileW(Widen(localPath_).c_str());
    created_ = false;
    return result;
}

bool CDlgDown::Fetch() { return DoModal() == IDOK && Succeeded(); }

INT_PTR CALLBACK CDlgDown::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<CDlgDown*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<CDlgDown*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    return HandleDialogMessage(dialog, [&] { return self->OnMessage(message, wParam); });
}

INT_PTR CDlgDown::OnMessage(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_TIMER:
        if (wParam == kDownloadStartTimer) OnStartTimer();
        if (wParam == kDownloadTransferTimer) OnTransferTimer();
        return TRUE;
    case WM_CLOSE:
        End(false);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    default:
        return FALSE;
    }
}

INT_PTR CDlgDown::OnCommand(WORD id) {
    switch (id) {
    case IDC_DOWNLOAD_CANCEL:
    case IDCANCEL:  // Escape
        End(false);
        return TRUE;
    case IDOK:  // Enter, with no default button: swallowed, since only the end of the data completes
        return TRUE;
    default:
        return FALSE;
    }
}

void CDlgDown::OnInitDialog() {
    running_ = true;
    SetTimer(dialog_, kDownloadStartTimer, kDownloadStartDelayMs, nullptr);
    received_ = 0;
    total_ = 0;
    lastRead_ = 0;
    HWND progress = GetDlgItem(dialog_, IDC_DOWNLOAD_PROGRESS);
    SendMessageW(progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress, PBM_SETPOS, 0, 0);
    HWND label = GetDlgItem(dialog_, IDC_DOWNLOAD_LABEL);
    SetWindowTextW(label, (WindowTextOf(label) + Widen(displayName_)).c_str());
    SetWindowTextW(dialog_, Widen(LoadMessage(kDownloadCaptionText)).c_str());
}

void CDlgDown::OnStartTimer() {
    KillTimer(dialog_, kDownloadStartTimer);
    if (!running_) return;
    if (!StartDownload()) {
        End(false);
        return;
    }
    SetTimer(dialog_, kDownloadTransferTimer, kDownloadTransferPeriodMs, nullptr);
}

bool CDlgDown::StartDownload() {
    try {
        if (!IsWebAddress(address_)) return false;  // a page's ServerURL reaches this far only as http or https
        const std::wstring url = Widen(address_);
        const std::wstring path = Widen(localPath_);
        internet_.reset(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!internet_) return false;
        remoteFile_.reset(InternetOpenUrlW(internet_.get(), url.c_str(), nullptr, 0, 0, kRequestContext));
        if (!remoteFile_) return false;
        DWORD status = 0;
        if (!QueryNumber(remoteFile_.get(), HTTP_QUERY_STATUS_CODE, status) || status != HTTP_STATUS_OK) return false;
        uint64_t length = 0;
        if (QueryContentLength(remoteFile_.get(), length)) total_ = length;
        if (total_ > kDownloadMaxBytes) return false;
        localFile_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        created_ = static_cast<bool>(localFile_);
        return created_;
    } catch (...) {
        return false;
    }
}

bool CDlgDown::ReadChunk() {
    DWORD count = 0;
    if (!InternetReadFile(remoteFile_.get(), buffer_, kDownloadChunkSize, &count)) return false;
    lastRead_ = static_cast<int>(count);
    return true;
}

void CDlgDown::OnTransferTimer() {
    if (!running_) return;
    // A failed read may be a passing network fault: a few more tries, blocking this tick.
    for (int retry = 0; !ReadChunk(); ++retry) {
        if (retry == kDownloadReadRetries) {
            End(false);
            return;
        }
        Sleep(kDownloadRetryPauseMs);
    }
    OnChunk();
}

void CDlgDown::OnChunk() {
    HWND progress = GetDlgItem(dialog_, IDC_DOWNLOAD_PROGRESS);
    if (lastRead_ > 0) {
        received_ += static_cast<uint64_t>(lastRead_);
        DWORD written = 0;
        // A partial file must not pass for the component, nor a body past what any component needs.
        if (received_ > kDownloadMaxBytes || !WriteFile(localFile_.get(), buffer_, lastRead_, &written, nullptr) ||
            written != static_cast<DWORD>(lastRead_)) {
            End(false);
            return;
        }
        if (total_ != 0) {
            double percent = static_cast<double>(received_) / static_cast<double>(total_) * 100;
            SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
        }
        return;
    }
    // End of data. A body that stopped short of its announced length is a broken transfer.
    SendMessageW(progress, PBM_SETPOS, 100, 0);
    End(total_ == 0 || received_ == total_);
}

void CDlgDown::End(bool success) {
    if (!running_) return;
    running_ = false;
    KillTimer(dialog_, kDownloadStartTimer);
    KillTimer(dialog_, kDownloadTransferTimer);
    CloseTransfer();
    success_ = success ? 1 : 0;
    EndDialog(dialog_, IDOK);  // the caller reads the flag; the modal result is OK either way
}

void CDlgDown::CloseTransfer() {
    localFile_.reset();
    remoteFile_.reset();
    internet_.reset();
}

}  // namespace omni
