// Clean-ups that belong to the test program rather than to one suite: a fixture that costs a process
// start or two under emulation (a registration, a warm-up page) is made once and undone at the end.
#pragma once

#include <functional>

namespace omni::test {

// Runs cleanup once every case has run, the last given first.
void AtProgramEnd(std::function<void()> cleanup);

// Runs them; test_main.cpp does so after the last case.
void RunProgramEndCleanups();

}  // namespace omni::test
