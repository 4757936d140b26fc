// Command line of the page container: what one <object> element and one <script> of a page say.
#pragma once

#include <string>
#include <vector>

#include "hosting/property_bag.h"

namespace omni::page {

inline constexpr char kDefaultClassId[] = "{4814A6CB-9A5D-4F66-99F5-79413040054B}";

struct PageOptions {
    std::string script;                // the page script file (JScript)
    std::vector<std::string> includes; // scripts run before it, as earlier <script src> elements
    bool acceptMessages = false;       // press OK on the page's message boxes, as the person at the PC
    std::string classId = kDefaultClassId;  // a CLSID, "clsid:" and a CLSID, or a ProgID
    std::string objectId = "Omniprobe";     // the <object id>: the script's name for the control
    ParamList params;                  // --param Name=Value, in order
    bool createWindow = true;          // false: the control is loaded and scriptable but never activated
    std::string search;                // location.search, with its leading '?' (empty when none)
    std::string url;                   // the page's address, offered to the control as the browser does; "" none
    unsigned long timeoutMs = 0;       // 0: the page stays open until it closes itself
    bool help = false;
    std::string error;                 // set when the arguments cannot be understood
};

PageOptions ParsePageOptions(const std::vector<std::string>& args);
const char* PageUsage();

// Exit codes of the container.
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitNoControl = 1;
inline constexpr int kExitTimeout = 3;
inline constexpr int kExitScriptError = 4;

}  // namespace omni::page
