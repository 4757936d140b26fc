#include "tests/support/program_end.h"

#include <vector>

namespace omni::test {

namespace {
std::vector<std::function<void()>>& Cleanups() {
    static std::vector<std::function<void()>> cleanups;
    return cleanups;
}
}  // namespace

void AtProgramEnd(std::function<void()> cleanup) { Cleanups().push_back(std::move(cleanup)); }

void RunProgramEndCleanups() {
    std::vector<std::function<void()>>& cleanups = Cleanups();
    while (!cleanups.empty()) {
        std::function<void()> cleanup = std::move(cleanups.back());
        cleanups.pop_back();
        cleanup();
    }
}

}  // namespace omni::test
