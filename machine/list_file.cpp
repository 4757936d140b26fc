#include "machine/list_file.h"

namespace omni {

namespace {

// The list files are read as the C runtime reads a text-mode file: Ctrl-Z ends the content.
constexpr char kTextEndOfFile = '\x1a';

bool IsListSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class TokenReader {
public:
    explicit TokenReader(const std::string& content)
        : content_(content), end_(content.find(kTextEndOfFile)) {
        if (end_ == std::string::npos) end_ = content.size();
    }

    // Reads the next token. False when the end of the content was reached while reading it, which
    // includes a token that runs up to the end without white space after it.
    bool Next(std::string& token) {
        token.clear();
        while (at_ < end_ && IsListSpace(content_[at_])) ++at_;
        while (at_ < end_ && !IsListSpace(content_[at_])) {
            if (token.size() < kMaxListTokenLength) token.push_back(content_[at_]);
            ++at_;
        }
        // A NUL inside a token ends its text.
        size_t nul = token.find('\0');
        if (nul != std::string::npos) token.resize(nul);
        return at_ < end_;
    }

private:
    const std::string& content_;
    size_t end_;
    size_t at_ = 0;
};

}  // namespace

std::vector<ListFileEntry> ParseListText(const std::string& content) {
    std::vector<ListFileEntry> entries;
    TokenReader reader(content);
    ListFileEntry entry;
    for (;;) {
        if (!reader.Next(entry.name)) break;
        if (entry.name.empty()) continue;  // nothing read: the next token is the name
        if (!reader.Next(entry.version)) break;
        entries.push_back(entry);
    }
    return entries;
}

std::string DllListFileName(int osCode) { return osCode > 5 ? kDllListNtFileName : kDllList9xFileName; }

}  // namespace omni
