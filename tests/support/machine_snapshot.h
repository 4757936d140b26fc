// What a page could leave behind on the PC: the files of some folders, some registry trees and the
// names of the running programs, taken before and after, so a test sees that nothing changed.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace omni::test {

struct RegistryTree {
    HKEY root;
    std::string path;
    REGSAM view;  // 0, KEY_WOW64_32KEY or KEY_WOW64_64KEY
};

class MachineSnapshot {
public:
    // Every file below each folder with its size, every key and value (with its data) below each tree,
    // and the set of running program names.
    MachineSnapshot(const std::vector<std::string>& folders, const std::vector<RegistryTree>& trees);

    // One line per entry that is in one snapshot and not the other: "+ <entry>" new, "- <entry>" gone.
    std::vector<std::string> ChangesTo(const MachineSnapshot& after) const;

private:
    std::set<std::string> entries_;
};

}  // namespace omni::test
