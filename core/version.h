// A four-part version such as 8.0.6001.18702, parsed from text that is kept unchanged.
#pragma once

#include <string>

namespace omni {

class Version {
public:
    Version();
    explicit Version(const std::string& text);
    virtual ~Version();

    // Re-parses; replaces the four numbers and the text.
    Version& operator=(const std::string& text);
    std::string GetText() const;

    // Numeric, part by part, major first; the text plays no part.
    bool operator<(const Version& other) const;
    bool operator>=(const Version& other) const;

    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;

private:
    void Parse(const std::string& text);

    std::string text_;
};

}  // namespace omni
