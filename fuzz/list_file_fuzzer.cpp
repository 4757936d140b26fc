// List files come from the content server or the page's folder: any bytes must parse, and what is
// parsed must be tokens of the content that parse again to the same pairs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "machine/list_file.h"

namespace {

bool IsListSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

void CheckToken(const std::string& token, const std::string& content) {
    if (token.size() > omni::kMaxListTokenLength) abort();
    for (char c : token)
        if (IsListSpace(c) || c == '\0' || c == '\x1a') abort();
    if (!token.empty() && content.find(token) == std::string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::vector<omni::ListFileEntry> entries = omni::ParseListText(content);

    bool everyVersionHasText = true;
    for (const omni::ListFileEntry& entry : entries) {
        if (entry.name.empty()) abort();
        CheckToken(entry.name, content);
        CheckToken(entry.version, content);
        everyVersionHasText = everyVersionHasText && !entry.version.empty();
    }

    // The pairs written out one per line are a list file that parses to the same pairs.
    if (everyVersionHasText) {
        std::string written;
        for (const omni::ListFileEntry& entry : entries) written += entry.name + " " + entry.version + "\r\n";
        const std::vector<omni::ListFileEntry> again = omni::ParseListText(written);
        if (again.size() != entries.size()) abort();
        for (size_t i = 0; i < entries.size(); ++i)
            if (again[i].name != entries[i].name || again[i].version != entries[i].version) abort();
    }
    return 0;
}
