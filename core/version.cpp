#include "core/version.h"

#include <cstdint>

namespace omni {

Version::Version() = default;

Version::Version(const std::string& text) { Parse(text); }

Version::~Version() = default;

Version& Version::operator=(const std::string& text) {
    Parse(text);
    return *this;
}

std::string Version::GetText() const { return text_; }

void Version::Parse(const std::string& text) {
    text_ = text;
    // Unsigned arithmetic so that an over-long part wraps instead of being undefined.
    uint32_t parts[4] = {0, 0, 0, 0};
    size_t index = 0;
    for (char c : text) {
        if (c == '.') {
            ++index;
        } else if (c >= '0' && c <= '9') {
            if (index < 4) parts[index] = parts[index] * 10u + static_cast<uint32_t>(c - '0');
        } else {
            // Foreign characters make the whole value unknown; the text is kept for the report.
            parts[0] = parts[1] = parts[2] = parts[3] = 0;
            break;
        }
    }
    major = static_cast<int>(parts[0]);
    minor = static_cast<int>(parts[1]);
    build = static_cast<int>(parts[2]);
    revision = static_cast<int>(parts[3]);
}

bool Version::operator<(const Version& other) const {
    if (major != other.major) return major < other.major;
    if (minor != other.minor) return minor < other.minor;
    if (build != other.build) return build < other.build;
    return revision < other.revision;
}

bool Version::operator>=(const Version& other) const { return !(*this < other); }

}  // namespace omni
