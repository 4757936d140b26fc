// One HTTP fetch from the content server into a local file, shown as a modal progress dialog.
// Window timers drive the transfer one read per tick, so Cancel stays usable without a worker thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace omni {

inline constexpr UINT_PTR kDownloadStartTimer = 11;
inline constexpr UINT kDownloadStartDelayMs = 50;
inline constexpr UINT_PTR kDownloadTransferTimer = 12;
inline constexpr UINT kDownloadTransferPeriodMs = 100;
inline constexpr DWORD kDownloadChunkSize = 8096;
inline constexpr int kDownloadReadRetries = 5;  // after the first attempt, within one tick
inline constexpr DWORD kDownloadRetryPauseMs = 2500;
inline constexpr UINT kDownloadCaptionText = 253;
// Far more than any component or installer of the maker; a server that sends more is refused.
inline constexpr uint64_t kDownloadMaxBytes = 256ull * 1024 * 1024;

class CDlgDown {
public:
    CDlgDown();
    virtual ~CDlgDown();
    CDlgDown(const CDlgDown&) = delete;
    CDlgDown& operator=(const CDlgDown&) = delete;

    // The whole address, and the file it lands in (created, or truncated). Both are taken here, before
    // the dialog's message loop runs, in which another control object's script may run.
    void SetSource(const std::string& address, const std::string& localPath);
    // Shown after the label's own text, separated by a blank.
    void SetDisplayName(const std::string& name);

    // Runs one fetch. IDOK however it ended (Succeeded() tells), -1 when the dialog cannot be created. A
    // fetch that did not succeed leaves no local file: a short body, a cancel, a failed write.
    INT_PTR DoModal();
    bool Succeeded() const { return success_ == 1; }
    // DoModal, and whether it answered IDOK with the transfer complete.
    bool Fetch();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam);
    INT_PTR OnCommand(WORD id);
    void OnInitDialog();
    void OnStartTimer();
    void OnTransferTimer();
    void OnChunk();
    bool StartDownload();
    bool ReadChunk();
    void End(bool success);
    void CloseTransfer();

    HWND dialog_ = nullptr;
    bool running_ = false;  // between the dialog's start and its end; late ticks find it false
    int success_ = 0;
    uint64_t received_ = 0;
    uint64_t total_ = 0;  // announced Content-Length, 0 when none
    char buffer_[kDownloadChunkSize];
    unique_file localFile_;
    int lastRead_ = 0;
    unique_hinternet internet_;
    unique_hinternet remoteFile_;
    bool created_ = false;  // the local file was created by this fetch
    std::string displayName_;
    std::string address_;
    std::string localPath_;
};

}  // namespace omni
