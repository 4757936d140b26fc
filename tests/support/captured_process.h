// Starts a program with its standard output and error captured, and waits for it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace omni::test {

struct CapturedProcess {
    bool started = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Starts commandLine with its standard output and error written to the files outPath and errPath (made
// anew), in the given environment block (null: this process's). The process, or null when it did not start.
unique_handle StartWithOutputIn(const std::string& commandLine, const std::string& outPath, const std::string& errPath,
                                std::wstring* environment = nullptr);

// Output goes to files in outputFolder rather than pipes, so that nothing waits for grandchildren to let go.
// A program still running after timeoutMs is ended and reported with exit code 99.
CapturedProcess RunCaptured(const std::string& commandLine, const std::string& outputFolder,
                            DWORD timeoutMs = 120000);

}  // namespace omni::test
