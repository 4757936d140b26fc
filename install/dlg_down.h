// One HTTP fetch from the content server into the temporary folder, shown as a modal progress dialog.
// Window timers drive the transfer one read per tick, so Cancel stays usable without a worker thread.
#pragma once

#include <windows.h>

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

class CDlgDown {
public:
    CDlgDown();
    virtual ~CDlgDown();
    CDlgDown(const CDlgDown&) = delete;
    CDlgDown& operator=(const CDlgDown&) = delete;

    // URL = server URL + urlPart + fileName; the file lands in the temporary folder as fileName.
    void SetSource(const std::string& urlPart, const std::string& fileName);
    // Shown after the label's own text, separated by a blank.
    void SetDisplayName(const std::string& name);

    // Runs one fetch. IDOK however it ended (Succeeded() tells), -1 when the dialog cannot be created.
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
    int received_ = 0;
    DWORD total_ = 0;  // announced Content-Length, 0 when none
    char buffer_[kDownloadChunkSize];
    unique_file localFile_;
    int lastRead_ = 0;
    unique_hinternet internet_;
    unique_hinternet remoteFile_;
    std::string displayName_;
    std::string urlPart_;
    std::string fileName_;
};

}  // namespace omni
