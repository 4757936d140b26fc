#include "tests/support/page_session.h"

#include "platform/text.h"
#include "tests/support/captured_process.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

namespace {

constexpr char kStepDone[] = "\n-- step done\n";

// Waits for the test's next script (step.js, renamed into place whole) and runs it with say() and done()
// of its own: what a step left to run later (a timer, an event handler) writes nothing and ends nothing
// once the step has ended. Marks on standard output where each step's output ends.
std::string DriverScript(const std::string& files) {
    std::string folder;
    for (char c : files) folder += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "var sessionFiles = new ActiveXObject('Scripting.FileSystemObject');\n"
           "var onReport = null, openStep = 0, steps = 0;\n"
           "function Omniprobe_OnRetrieveComplete(XmlText) { if (onReport) onReport(XmlText); }\n"
           "function nextStep() {\n"
           "  var name = '" + folder + "\\\\step.js';\n"
           "  var code = null;\n"
           "  try {\n"
           "    if (sessionFiles.FileExists(name)) {\n"
           "      var file = sessionFiles.OpenTextFile(name, 1);\n"
           "      code = file.AtEndOfStream ? '' : file.ReadAll();\n"
           "      file.Close();\n"
           "      sessionFiles.DeleteFile(name);\n"
           "    }\n"
           "  } catch (e) {\n"
           "    code = null;  // the test still holds the file it renamed into place: read it next time\n"
           "  }\n"
           "  if (code === null) { window.setTimeout(nextStep, 50); return; }\n"
           "  var step = ++steps;\n"
           "  openStep = step;\n"
           "  onReport = null;\n"
           "  var say = function (text) { if (openStep == step) document.write(text + '\\n'); };\n"
           "  var done = function () {\n"
           "    if (openStep != step) return;\n"
           "    openStep = 0;\n"
           "    onReport = null;\n"
           "    document.write('\\n-- step done\\n');\n"
           "    window.setTimeout(nextStep, 0);\n"
           "  };\n"
           "  (new Function('say', 'done', code))(say, done);\n"
           "}\n"
           "window.setTimeout(nextStep, 0);\n";
}

// The environment of this process with the given variables ("NAME=value") set, as CreateProcessW takes it.
std::wstring EnvironmentWith(const std::vector<std::string>& variables) {
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; entry && *entry; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        bool replaced = false;
        for (const std::string& variable : variables) {
            const std::wstring name = Widen(variable.substr(0, variable.find('=') + 1));
            replaced = replaced || _wcsnicmp(text.c_str(), name.c_str(), name.size()) == 0;
        }
        if (!replaced) block += text + L'\0';
    }
    if (own) FreeEnvironmentStringsW(own);
    for (const std::string& variable : variables) block += Widen(variable) + L'\0';
    return block + L'\0';
}

}  // namespace

PageSession::PageSession(const std::string& container, const std::string& arguments, const std::string& folder,
                         const std::vector<std::string>& environment)
    : files_(folder + "\\page-session") {
    CreateDirectoryW(Widen(files_).c_str(), nullptr);
    WriteBytes(files_ + "\\driver.js", DriverScript(files_));
    std::wstring block = EnvironmentWith(environment);
    process_ = StartWithOutputIn("\"" + container + "\" " + arguments + " \"" + files_ + "\\driver.js\"",
                                 files_ + "\\out.txt", files_ + "\\err.txt", &block);
    if (!process_) {
        ended_ = true;
        return;
    }
    Step("done();");  // the page is up and waits for the first step
}

PageSession::~PageSession() {
    if (!ended_) Step("window.close(0);", 60000);
    End();
}

std::string PageSession::Output() const { return ReadBytes(files_ + "\\out.txt"); }

void PageSession::End() {
    if (process_ && WaitForSingleObject(process_.get(), 60000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 99);
    ended_ = true;
}

StepRun PageSession::Step(const std::string& script, DWORD timeoutMs) {
    StepRun run;
    if (ended_) {
        run.pageEnded = true;
        run.out = "the page had ended before the step\n" + ReadBytes(files_ + "\\err.txt");
        return run;
    }
    // The driver reads the step in the system's code page: only ASCII is the same there.
    for (unsigned char c : script)
        if (c >= 0x80) {
            run.out = "a step's script must be ASCII (escape other characters as \\uXXXX)\n";
            return run;
        }
    WriteBytes(files_ + "\\step.tmp", script);
    MoveFileExW(Widen(files_ + "\\step.tmp").c_str(), Widen(files_ + "\\step.js").c_str(), MOVEFILE_REPLACE_EXISTING);
    for (DWORD waited = 0;; waited += 50) {
        const std::string out = Output();
        const size_t end = out.find(kStepDone, consumed_);
        if (end != std::string::npos) {
            run.out = out.substr(consumed_, end - consumed_);
            consumed_ = end + sizeof(kStepDone) - 1;
            return run;
        }
        const bool exited = WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0;
        if (exited || waited >= timeoutMs) {
            if (!exited) TerminateProcess(process_.get(), 99);
            ended_ = true;
            run.pageEnded = true;
            run.out = Output().substr(consumed_) + ReadBytes(files_ + "\\err.txt");
            consumed_ = Output().size();
            return run;
        }
    }
}

}  // namespace omni::test
