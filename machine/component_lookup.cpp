#include "machine/component_lookup.h"

#include "platform/text.h"

namespace omni {

bool LooksInRegisteredFolder(const std::string& fileName, bool isAdmin) {
    static const std::string kControlExtension = ".ocx";
    if (isAdmin || fileName.size() < kControlExtension.size()) return false;
    return EqualsNoCase(fileName.substr(fileName.size() - kControlExtension.size()), kControlExtension);
}

}  // namespace omni
