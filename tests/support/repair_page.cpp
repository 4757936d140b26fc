#include "tests/support/repair_page.h"

#include <sstream>

#include "platform/text.h"
#include "tests/support/box_presser.h"
#include "tests/support/page_container.h"

namespace omni::test {

std::string SystemFile(const std::string& name) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return Narrow(system) + "\\" + name;
}

std::vector<std::string> AsidesOf(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW(Widen(path + ".*.aside").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void RemoveAsides(const std::string& path) {
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    for (const std::string& name : AsidesOf(path)) DeleteFileW(Widen(folder + name).c_str());
}

namespace {
void ReadRepairOutput(PageRun& run) {
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("first ", 0) == 0) run.firstReport = line.substr(6);
        if (line.rfind("return ", 0) == 0) run.returned = line.substr(7);
        if (line.rfind("event ", 0) == 0) run.freshReport = line.substr(6);
    }
}
}  // namespace

// After the call has returned, the page's own timer is due later than any re-diagnosis the call armed
// (one second), and the timers of one thread come in the order they fall due, however busy the machine:
// "no event" is certain once the page's timer has come first.
std::string RepairPage(const std::string& call) {
    return "var armed = false;\n"
           "function Omniprobe_OnRetrieveComplete(XmlText) {\n"
           "  document.write((armed ? 'event ' : 'first ') + XmlText.replace(/[\\r\\n]/g, '') + '\\n');\n"
           "  if (armed) window.close(0);\n"
           "}\n"
           "Omniprobe.Retrieve();\n"
           "armed = true;\n"
           "document.write('return ' + " + call + " + '\\n');\n"
           "window.setTimeout(function () { document.write('no event\\n'); window.close(0); }, 2000);\n";
}

PageRun RunRepairPage(const std::string& container, const std::string& folder, const std::string& options,
                      const std::string& script, int question) {
    BoxPresser presser(question);
    std::string arguments = "--timeout 150000 --param Lang=eng " + options;
    const size_t none = arguments.find(kNoPageAddress);
    if (none != std::string::npos)
        arguments.erase(none, std::string(kNoPageAddress).size());
    else if (arguments.find("--url") == std::string::npos)
        arguments += std::string(" --url ") + kRepairPageAddress;
    CapturedProcess page = RunPage(container, arguments, script, folder, 180000);
    PageRun run;
    run.boxes = presser.Stop();
    run.out = page.out;
    run.err = page.err;
    run.exitCode = page.exitCode;
    ReadRepairOutput(run);
    return run;
}

// The same page as a step: the diagnosis, the call, then the fresh report or the step's own timer.
std::string RepairStep(const std::string& call) {
    return "var armed = false;\n"
           "onReport = function (XmlText) {\n"
           "  say((armed ? 'event ' : 'first ') + XmlText.replace(/[\\r\\n]/g, ''));\n"
           "  if (armed) done();\n"
           "};\n"
           "Omniprobe.Retrieve();\n"
           "armed = true;\n"
           "say('return ' + " + call + ");\n"
           "window.setTimeout(function () { say('no event'); done(); }, 2000);\n";
}

PageRun RunRepairStep(PageSession& page, const std::string& script, int question) {
    BoxPresser presser(question);
    StepRun step = page.Step(script);
    PageRun run;
    run.boxes = presser.Stop();
    run.out = step.out;
    if (step.pageEnded) {
        run.err = step.out;
        run.exitCode = 1;
    }
    ReadRepairOutput(run);
    return run;
}

std::string Asked(const std::string& change, const std::string& origin) {
    return "owned Talvek Diagnostic Tool: The page at " + origin + " wants to " + change + ". Allow?";
}

}  // namespace omni::test
