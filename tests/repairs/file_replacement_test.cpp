// Putting a new copy in place while the old one waits aside: whatever fails puts the old copy back, so a
// registration never points at a missing file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

class Replacement : public ::testing::TestWithParam<ReplacementRow> {};

TEST_P(Replacement, LeavesTheNewCopyOnlyWhenCommitted) {
    const ReplacementRow& row = GetParam();
    ScratchFolder folder;
    const std::string destination = folder.file("Component.ocx"), aside = folder.file("Component.ocx.temp");
    if (row.oldCopy) WriteBytes(destination, kOld);
    if (row.sourceThere) WriteBytes(folder.file("source.ocx"), kNew);
    {
        FileReplacement replacement(destination, aside);
        EXPECT_EQ(replacement.Copy(folder.file("source.ocx"), 2, 0), row.copied);
        if (row.then == Then::kCommit) replacement.Commit();
        if (row.then == Then::kRollBack) replacement.RollBack();
    }  // neither: the replacement rolls back as it goes
    EXPECT_EQ(ReadBytes(destination), row.destination);
    EXPECT_EQ(FileExists(destination), *row.destination != '\0');
    EXPECT_FALSE(FileExists(aside));
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
