// The temporary log file through which the command runner hands back a command's output.
#pragma once

#include <windows.h>

#include <string>

namespace omni {

// "<temp folder>\<GUID>.log" with a fresh GUID, upper case and without braces; "" when no GUID can be made.
std::string NewRunnerLogPath();

// Reads the whole log as text (ending at the first NUL byte), then deletes the file.
// False when the log cannot be opened or read; text is then empty.
bool ReadAndDeleteLog(const std::string& path, std::string& text);

// The log's file name part for a GUID: {6B29FC40-CA47-1067-B31D-00DD010662DA} gives
// "6B29FC40-CA47-1067-B31D00DD010662DA" (the last eight bytes in one group).
std::string RunnerLogGuidText(const GUID& guid);

}  // namespace omni
