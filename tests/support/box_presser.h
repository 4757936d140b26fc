// Plays the user at the PC: answers every message box with one of the control's captions, in any
// process, and keeps "<owned|unowned> <caption>: <text>" of each in order.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace omni::test {

class BoxPresser {
public:
    // question: the button pressed on a box that asks (IDYES or IDNO); every other box gets OK.
    explicit BoxPresser(int question = IDYES);
    ~BoxPresser();
    BoxPresser(const BoxPresser&) = delete;
    BoxPresser& operator=(const BoxPresser&) = delete;

    std::vector<std::string> Stop();  // the boxes seen

private:
    void Run();

    int question_;
    std::atomic<bool> stop_{false};
    std::vector<std::string> seen_;
    std::thread thread_;
};

// A catalogue text in English, whatever language the test program's catalogue is in.
std::string EnglishText(UINT id);

}  // namespace omni::test
