// Putting a new copy in place while the old one waits aside next to it: whatever fails puts the old copy
// back, so a registration never points at a missing file; while it waits, no other program can write,
// rename or delete it, and afterwards nothing of it is left beside the destination.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/result_codes.h"
#include "machine/file_replacement.h"
#include "platform/text.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {
namespace {

const std::string kOld = "old copy";
const std::string kNew = "new copy";

enum class Then { kCommit, kRollBack, kNothing };

struct ReplacementRow {
    const char* name;
    bool oldCopy;      // an old copy at the destination
    bool sourceThere;  // false: every copy attempt fails
    Then then;
    int copied;
    const char* destination;  // what is there afterwards; "" for nothing
};
void PrintTo(const ReplacementRow& row, std::ostream* os) { *os << row.name; }

// The files in folder other than those named.
std::vector<std::string> OtherFiles(const ScratchFolder& folder, const std::vector<std::string>& known) {
    std::vector<std::string> others;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW(Widen(folder.file("*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return others;
    do {
        const std::string name = Narrow(found.cFileName);
        if (name != "." && name != ".." && std::find(known.begin(), known.end(), name) == known.end())
            others.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return others;
}

// What another program gets when it tries to change the old copy while it waits aside: the system's
// error for writing it, renaming it and deleting it, in that order.
std::vector<DWORD> TamperWithAside(const ScratchFolder& folder) {
    std::vector<std::string> aside = OtherFiles(folder, {"Component.ocx", "source.ocx"});
    if (aside.size() != 1) return {};
    const std::wstring path = Widen(folder.file(aside[0]));
    std::vector<DWORD> errors;
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    errors.push_back(writer == INVALID_HANDLE_VALUE ? GetLastError() : 0);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    errors.push_back(MoveFileExW(path.c_str(), (path + L".moved").c_str(), 0) ? 0 : GetLastError());
    errors.push_back(DeleteFileW(path.c_str()) ? 0 : GetLastError());
    return errors;
}

class Replacement : public ::testing::TestWithParam<ReplacementRow> {};

TEST_P(Replacement, LeavesTheNewCopyOnlyWhenCommitted) {
    const ReplacementRow& row = GetParam();
    ScratchFolder folder;
    const std::string destination = folder.file("Component.ocx");
    if (row.oldCopy) WriteBytes(destination, kOld);
    if (row.sourceThere) WriteBytes(folder.file("source.ocx"), kNew);
    {
        FileReplacement replacement(destination);
        EXPECT_EQ(replacement.Copy(folder.file("source.ocx"), 2, 0), row.copied);
        if (row.oldCopy && row.copied == kOk) {
            const std::vector<DWORD> violations(3, ERROR_SHARING_VIOLATION);
            EXPECT_EQ(TamperWithAside(folder), violations);
        }
        if (row.then == Then::kCommit) replacement.Commit();
        if (row.then == Then::kRollBack) replacement.RollBack();
    }  // neither: the replacement rolls back as it goes
    EXPECT_EQ(ReadBytes(destination), row.destination);
    EXPECT_EQ(FileExists(destination), *row.destination != '\0');
    EXPECT_EQ(OtherFiles(folder, {"Component.ocx", "source.ocx"}), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Replacement,
    ::testing::Values(ReplacementRow{"CommittedCopyStaysAndTheOldGoes", true, true, Then::kCommit, kOk, "new copy"},
                      ReplacementRow{"FailedRegistrationPutsTheOldCopyBack", true, true, Then::kRollBack, kOk,
                                     "old copy"},
                      ReplacementRow{"AnyEarlyReturnPutsTheOldCopyBack", true, true, Then::kNothing, kOk, "old copy"},
                      ReplacementRow{"FailedCopyPutsTheOldCopyBack", true, false, Then::kNothing, kTargetInUse,
                                     "old copy"},
                      ReplacementRow{"FailedRegistrationOfAFirstCopyLeavesNothing", false, true, Then::kRollBack, kOk,
                                     ""}),
    [](const ::testing::TestParamInfo<ReplacementRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace omni::test
