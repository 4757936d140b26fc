#include "machine/file_replacement.h"

#include <windows.h>

#include <utility>

#include "core/result_codes.h"
#include "platform/text.h"

namespace omni {

namespace {
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

FileReplacement::FileReplacement(std::string destination, std::string aside)
    : destination_(std::move(destination)), aside_(std::move(aside)) {}

FileReplacement::~FileReplacement() { RollBack(); }

int FileReplacement::Copy(const std::string& source, int retries, unsigned pauseMs) {
    const std::wstring from = Widen(source), to = Widen(destination_), aside = Widen(aside_);
    for (int attempt = 0; attempt <= retries; ++attempt) {
        if (Exists(to)) {
            // A copy left aside by an earlier repair goes first; one still loaded stays, and the move fails.
            if (!movedAside_) DeleteFileW(aside.c_str());
            if (!movedAside_ && MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) movedAside_ = true;
            Sleep(pauseMs);
        }
        if (CopyFileW(from.c_str(), to.c_str(), FALSE)) {
            copied_ = true;
            return kOk;
        }
    }
    RollBack();
    return kTargetInUse;
}

void FileReplacement::Commit() {
    if (movedAside_) DeleteFileW(Widen(aside_).c_str());
    copied_ = movedAside_ = false;  // nothing left to roll back
}

void FileReplacement::RollBack() {
    const std::wstring to = Widen(destination_);
    if (copied_) DeleteFileW(to.c_str());
    if (movedAside_) MoveFileExW(Widen(aside_).c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
    copied_ = movedAside_ = false;
}

}  // namespace omni
