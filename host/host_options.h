// Command-line options of the console host.
#pragma once

#include <string>
#include <vector>

namespace omni::host {

struct HostOptions {
    std::string lang = "eng";   // the control's Lang property: "kor" for Korean, anything else English
    int installMode = 0;        // the local modes only: 0, or 2 for vendor links
    int admin = -1;             // -1: decided as the control decides; 0 or 1: forced
    bool raw = false;           // the report text exactly as the page receives it, on one line
    std::string savePath;       // also save the report there
    bool help = false;
    std::string error;          // set when the arguments cannot be understood
};

// The value after the option args[i], advancing i past it. A missing one is an error, not a default:
// false, with error saying which option lacks it.
bool NextValue(const std::vector<std::string>& args, size_t& i, std::string& out, std::string& error);

HostOptions ParseHostOptions(const std::vector<std::string>& args);
const char* HostUsage();

}  // namespace omni::host
