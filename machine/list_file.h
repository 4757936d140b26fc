// The component list files ("ocxlistz4.txt", "ocxlistz3.txt", "dlllist2000.txt", "dlllist98.txt"):
// white-space separated pairs of file name and required version.
#pragma once

#include <string>
#include <vector>

namespace omni {

inline constexpr char kDllListNtFileName[] = "dlllist2000.txt";
inline constexpr char kDllList9xFileName[] = "dlllist98.txt";

// Longer tokens are cut to this many characters; the rest of the token is skipped, so the
// following pairs keep their places.
inline constexpr size_t kMaxListTokenLength = 511;

struct ListFileEntry {
    std::string name;
    std::string version;
};

// The pairs of a list file's content, in file order. A pair counts only when its version token
// is followed by white space before the end of the file, so an unpaired or unterminated last
// name is dropped.
std::vector<ListFileEntry> ParseListText(const std::string& content);

// The list file for an OS code: the NT family (above 5) has its own.
std::string DllListFileName(int osCode);

// The whole file as bytes; false when it cannot be opened or read.
bool ReadListFile(const std::string& path, std::string& content);

}  // namespace omni
