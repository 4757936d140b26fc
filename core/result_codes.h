// The result codes that every subsystem shares; 0 is success, negative is failure.
#pragma once

namespace omni {

enum ResultCode : int {
    kOk = 0,
    kRebootAdvised = 100,
    kOsVersionFailed = -1,
    kVersionError = -11,
    kRegistryReadFailed = -21,
    kRegistryOpenFailed = -22,
    kRegistryWriteFailed = -23,
    kFileMissing = -31,
    kDllListMissing = -32,
    kCopyFailed = -33,
    kTargetInUse = -34,
    kFileInUse = -35,
    kOcxListMissing = -36,
    kDownloadFailed = -37,
    kFlashVersionFailed = -41,
    kSystemFolderFailed = -51,
    kRegisterFailed = -60,
    kDllLoadFailed = -61,
    kDiagnosisIncomplete = -70,
    kUserCanceled = -80,
    kAdminRequired = -90,
    kRerunTool = -91,
    kUndefinedArgument = -92,
    kSubprocessFailed = -93,
    kFlashSettingsFailed = -94,
    kDiagnosisNotRun = -95,
    kNotRelevantOs = -96,
    kMailFailed = -97,
    kReportFailed = -98,  // the report could not be composed or saved; no catalogue text ("Undefined")
    kSucceeded = -99,
    kInitFailed = -101,
    kAdminOnlyFeature = -102,
    kHostNotAllowed = -103,  // the machine's host allow-list leaves out the page's host
    kUntrustedPublisher = -104,  // a file to load, register or run is not signed by a trusted publisher
    kDiagnosisRunning = -105,  // a Retrieve or a repair is still running in this process
    kNotTheComponent = -106,  // the file's version resource names another file, or an older version
    kInstallerFailed = -107,  // the installer ended with an exit code that is not one of success
};

}  // namespace omni
