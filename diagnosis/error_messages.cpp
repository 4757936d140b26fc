#include "diagnosis/error_messages.h"

#include <windows.h>

#include "core/message_catalog.h"
#include "core/result_codes.h"

namespace omni {

namespace {

struct CodeText {
    int code;
    UINT text;
};

constexpr CodeText kCodeTexts[] = {
    {kOk, 223},
    {kOsVersionFailed, 208},
    {kVersionError, 209},
    {kRegistryReadFailed, 210},
    {kRegistryOpenFailed, 211},
    {kRegistryWriteFailed, 232},
    {kFileMissing, 212},
    {kDllListMissing, 213},
    {kCopyFailed, 214},
    {kTargetInUse, 215},
    {kFileInUse, 103},  // given with its "%s" unfilled
    {kOcxListMissing, 254},
    {kDownloadFailed, 255},
    {kFlashVersionFailed, 218},
    {kSystemFolderFailed, 219},
    {kRegisterFailed, 216},
    {kDllLoadFailed, 217},
    {kDiagnosisIncomplete, 220},
    {kUserCanceled, 221},
    {kAdminRequired, 222},
    {kRerunTool, 207},
    {kUndefinedArgument, 228},
    {kSubprocessFailed, 230},
    {kFlashSettingsFailed, 231},
    {kDiagnosisNotRun, 233},
    {kNotRelevantOs, 235},
    {kMailFailed, 240},
    {kSucceeded, 241},
    {kInitFailed, 259},
    {kAdminOnlyFeature, 267},
    {kHostNotAllowed, 285},
    {kUntrustedPublisher, 320},
    {kDiagnosisRunning, 290},
    {kNotTheComponent, 340},
    {kInstallerFailed, 341},
};

constexpr UINT kRebootText = 245;
constexpr int kWindows98SeCode = 4;
constexpr int kWindowsMeCode = 5;

}  // namespace

std::string ErrorMessageText(int code, int osCode) {
    if (code == kRebootAdvised)
        return osCode == kWindows98SeCode || osCode == kWindowsMeCode ? LoadMessage(kRebootText) : std::string();
    for (const CodeText& entry : kCodeTexts)
        if (entry.code == code) return LoadMessage(entry.text);
    return "Undefined";
}

}  // namespace omni
