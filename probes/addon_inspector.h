// Lists the add-ons the user has disabled in the browser, as the page shows them.
#pragma once

#include <string>
#include <vector>

namespace omni {

// One disabled add-on: the catalogue's kind text, display name, maker and server file name.
struct DisabledAddon {
    std::string type;
    std::string name;
    std::string company;
    std::string file;
};

class CAddonInspector {
public:
    virtual ~CAddonInspector();

    // Identifier texts of every Settings subkey whose "Flags" is REG_DWORD 1, in enumeration order.
    std::vector<std::string> CollectDisabledIds();
    // Classifies each identifier as extension, Browser Helper Object or ActiveX control; an
    // identifier that is none of them is left out.
    std::vector<DisabledAddon> BuildEntries(const std::vector<std::string>& ids);
    // Heading line, then one numbered line per entry, in the catalogue's current language.
    std::string GetDisabledAddonText();
};

// "n. name<TAB>company<TAB>type<TAB>file" lines under the heading, each ending "\r\n".
std::string FormatDisabledAddonText(const std::string& heading, const std::vector<DisabledAddon>& entries);

}  // namespace omni
