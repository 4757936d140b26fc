// Plays the person at the PC for a page that is run unattended: presses OK (or Yes, on a question) on
// every message box of this process and prints what it said, so a repair's consent question and its
// "Succeeded" do not hold the page.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace omni::page {

class MessageAnswerer {
public:
    MessageAnswerer() = default;
    ~MessageAnswerer();
    MessageAnswerer(const MessageAnswerer&) = delete;
    MessageAnswerer& operator=(const MessageAnswerer&) = delete;

    void Start();

private:
    void Watch();

    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

}  // namespace omni::page
