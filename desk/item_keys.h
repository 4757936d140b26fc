// An item's identity that does not depend on the report's language: the group's class and the subject
// for the controls and DLLs, whose subjects are file names; the group's class and the item's rule for the
// system and settings groups, whose subjects are texts in the report's language.
//   "ocx_z4/Quadrel.ocx", "dll/Zentra4.dll", "basic/ie", "etcchecklist/popup"
// An item whose rule cannot be known for sure keeps its subject: "etcchecklist/subject:<subject>". Such a
// key never merges with another language's, but it never names the wrong rule either. A key is once in a
// report: the second item of one key (a file listed twice) gets "#2".
#pragma once

#include <string>
#include <vector>

#include "storage.h"

namespace omni::desk {

// Sets `key` on every item of one report, given in the report's order.
void AssignItemKeys(std::vector<StoredItem>& items);

}  // namespace omni::desk
