#include "host/host_options.h"

namespace omni::host {

bool NextValue(const std::vector<std::string>& args, size_t& i, std::string& out, std::string& error) {
    if (i + 1 >= args.size()) {
        error = args[i] + " needs a value";
        return false;
    }
    out = args[++i];
    return true;
}

HostOptions ParseHostOptions(const std::vector<std::string>& args) {
    HostOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) { return NextValue(args, i, out, options.error); };
        std::string text;
        if (arg == "--korean") {
            options.lang = "kor";
        } else if (arg == "--lang") {
            if (!value(options.lang)) break;
        } else if (arg == "--links") {
            options.installMode = 2;
        } else if (arg == "--admin" || arg == "--user") {
            options.admin = arg == "--admin" ? 1 : 0;
        } else if (arg == "--raw") {
            options.raw = true;
        } else if (arg == "--save") {
            if (!value(options.savePath)) break;
            if (options.savePath.empty()) {
                options.error = "--save needs a file name";
                break;
            }
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            options.help = true;
        } else {
            options.error = "unknown option " + arg;
            break;
        }
    }
    return options;
}

const char* HostUsage() {
    return "usage: omniprobe_host [--korean | --lang <Lang>] [--links] [--admin | --user] [--raw] [--save <file>]\n"
           "  Diagnoses this PC in local mode (lists and components beside this program) and prints the report.\n"
           "  --korean       texts in Korean (the same as --lang kor); English otherwise\n"
           "  --links        install mode 2: point to the vendors' sites instead of offering installers\n"
           "  --admin/--user force the administrator flag; by default it is decided as the control does\n"
           "  --raw          print the report text exactly as the page receives it (one line)\n"
           "  --save <file>  also save the report as a UTF-8 file\n";
}

}  // namespace omni::host
