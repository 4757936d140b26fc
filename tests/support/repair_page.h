// Repairs called from pages in the container, with the real control, while a BoxPresser plays the user.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/page_session.h"

namespace omni::test {

// A file of the 32-bit system folder, where an administrator's installation puts components.
std::string SystemFile(const std::string& name);

// The old copies that replacing path left aside next to it ("<path>.<digits>.aside"), by file name; and
// their removal, for a test's clean-up (a copy still loaded somewhere stays).
std::vector<std::string> AsidesOf(const std::string& path);
void RemoveAsides(const std::string& path);

// The page diagnoses once (so the lists are loaded), makes the call (a JScript expression) and prints
// its result, then prints the next report it receives, or "no event" when the page's own timer, due after
// any re-diagnosis the call armed, came first.
std::string RepairPage(const std::string& call);

struct PageRun {
    std::string firstReport;
    std::string returned;
    std::string freshReport;  // "" when no event came
    std::vector<std::string> boxes;
    std::string out;
    std::string err;
    unsigned long exitCode = 0;
};

// The address of a repair page unless its options give another: a page that may be asked at all has a
// web origin.
inline constexpr char kRepairPageAddress[] = "https://desk.example/diagnose.html";
inline constexpr char kNoPageAddress[] = "--no-page-address";

// Runs script in the container program of folder, in English with the given options (at
// kRepairPageAddress unless they hold a --url, or kNoPageAddress for a page without one), while a
// BoxPresser answers its questions with question (IDYES or IDNO).
PageRun RunRepairPage(const std::string& container, const std::string& folder, const std::string& options,
                      const std::string& script, int question = IDYES);

// RepairPage as a step of a page session, which takes fewer process starts for cases that need no fresh
// page: each step diagnoses anew before its call.
std::string RepairStep(const std::string& call);
// Runs a step while a BoxPresser answers its questions with question; the page's end is exitCode 1.
PageRun RunRepairStep(PageSession& page, const std::string& script, int question = IDYES);

// The consent question as the BoxPresser records it, for a page at origin (kRepairPageAddress's by
// default): change as the question names it, "install RepairOk.ocx".
std::string Asked(const std::string& change, const std::string& origin = "https://desk.example");

}  // namespace omni::test
