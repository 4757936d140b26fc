// Starts a program with its standard output and error captured, and waits for it.
#pragma once

#include <windows.h>

#include <string>

namespace omni::test {

struct CapturedProcess {
    bool started = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Output goes to files in outputFolder rather than pipes, so that nothing waits for grandchildren to let go.
// A program still running after timeoutMs is ended and reported with exit code 99.
CapturedProcess RunCaptured(const std::string& commandLine, const std::string& outputFolder,
                            DWORD timeoutMs = 120000);

}  // namespace omni::test
