#include "pagehost/page_options.h"

#include <cstdlib>

#include "host/host_options.h"

namespace omni::page {

PageOptions ParsePageOptions(const std::vector<std::string>& args) {
    PageOptions options;
    for (size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) { return host::NextValue(args, i, out, options.error); };
        std::string text;
        if (arg == "--param") {
            if (!value(text)) break;
            size_t equals = text.find('=');
            if (equals == 0 || equals == std::string::npos)
                options.error = "--param needs Name=Value, not " + text;
            else
                options.params.emplace_back(text.substr(0, equals), text.substr(equals + 1));
        } else if (arg == "--id") {
            if (value(options.objectId) && options.objectId.empty()) options.error = "--id needs a name";
        } else if (arg == "--classid") {
            if (value(options.classId) && options.classId.empty()) options.error = "--classid needs a value";
        } else if (arg == "--accept-messages") {
            options.acceptMessages = true;
        } else if (arg == "--no-window") {
            options.createWindow = false;
        } else if (arg == "--query") {
            if (value(text)) options.search = text.empty() || text[0] == '?' ? text : "?" + text;
        } else if (arg == "--url") {
            if (value(options.url) && options.url.empty()) options.error = "--url needs an address";
        } else if (arg == "--timeout") {
            if (!value(text)) break;
            char* end = nullptr;
            long ms = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end || ms < 0)
                options.error = "--timeout needs milliseconds, not " + text;
            else
                options.timeoutMs = static_cast<unsigned long>(ms);
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            options.help = true;
        } else if (arg.rfind("--", 0) == 0) {
            options.error = "unknown option " + arg;
        } else {
            // Several scripts run in order, as the <script> elements of a page; the last is the page's own.
            if (!options.script.empty()) options.includes.push_back(options.script);
            options.script = arg;
        }
    }
    if (options.error.empty() && !options.help && options.script.empty()) options.error = "no page script";
    return options;
}

const char* PageUsage() {
    return "usage: omniprobe_page [options] <page.js>\n"
           "  Hosts one control as a page's <object> element does and runs the page script (JScript) with it.\n"
           "  --param Name=Value  a PARAM of the object (repeatable), loaded through a property bag\n"
           "  --id <name>         the object id, the script's name for the control (default Omniprobe)\n"
           "  --classid <id>      CLSID (with or without \"clsid:\") or ProgID (default the Omniprobe control)\n"
           "  --no-window         load the control but never activate it, so it gets no window\n"
           "  --query <text>      location.search of the page (\"?raw\" or \"raw\")\n"
           "  --url <address>     the page's address, which the control gets from its site's container moniker\n"
           "                      (a URL moniker, as the browser gives it); without it the site names none\n"
           "  --timeout <ms>      end the page with exit code 3 when it has not closed by then\n"
           "  --accept-messages   press OK (Yes on a question) on the page's message boxes and print their texts\n"
           "                      on standard error\n"
           "  Several scripts run in the order given, as the <script> elements of a page.\n"
           "  Exit code: the code given to window.close() (0 by default); 1 the control cannot be created;\n"
           "  2 bad arguments; 3 timeout; 4 a script error.\n"
           "  The page sees the control under its id, window (alert, close, setTimeout, clearTimeout, location,\n"
           "  status, removeObject), document (write, writeln), and gets the control's events as\n"
           "  <id>_<Event>(arguments). removeObject() takes the <object> away as a page that removes the element:\n"
           "  the control is deactivated, closed and released, even inside one of its own calls.\n";
}

}  // namespace omni::page
