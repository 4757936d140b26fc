// Entry point of every test program.
// GoogleTest copies each failure to OutputDebugStringA. Wine raises a debug-print exception for it,
// and under user-mode emulation that crashes the program, so one failed check would hide every
// later case. The program's import of OutputDebugStringA is pointed at a no-op before the run.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/import_replacement.h"
#include "tests/support/program_end.h"

namespace {

void WINAPI IgnoreDebugString(LPCSTR) {}

}  // namespace

int main(int argc, char** argv) {
    omni::test::ImportReplacement silenced("kernel32.dll", "OutputDebugStringA",
                                           reinterpret_cast<const void*>(&IgnoreDebugString));
    testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    omni::test::RunProgramEndCleanups();
    return failed;
}
