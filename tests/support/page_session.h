// One page in the container that runs the test's scripts one after another, for cases that need no
// fresh process: under emulation a container's start and its first diagnosis cost seconds, a later
// Retrieve in the same process a fraction of that.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace omni::test {

// What the page wrote during one step, and whether the page still runs after it.
struct StepRun {
    std::string out;
    bool pageEnded = false;  // the page closed, failed or was ended: its standard error is in out
};

class PageSession {
public:
    // Starts `container arguments` on a driver script whose files live in folder\page-session (left out
    // of the install cases' snapshots), with this process's environment and the given variables
    // ("NAME=value"; the page and what it starts keep them for the session), and waits until the page runs
    // the driver.
    PageSession(const std::string& container, const std::string& arguments, const std::string& folder,
                const std::vector<std::string>& environment = {});
    ~PageSession();  // the page closes itself, or is ended
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    // Runs script in the page (as the body of a function) and returns what the page wrote until the
    // script, or what it left to run later, called done(). The script's say(text) writes a line, and
    // onReport = function (xml) {...} receives the step's OnRetrieveComplete events. A step that does
    // not end within timeoutMs ends the page.
    StepRun Step(const std::string& script, DWORD timeoutMs = 180000);

    bool running() const { return !ended_; }

private:
    std::string Output() const;
    void End();

    std::string files_;
    unique_handle process_;
    size_t consumed_ = 0;
    bool ended_ = false;
};

}  // namespace omni::test
