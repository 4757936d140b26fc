#include "desk_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

#include "harness/child_process.h"

namespace omni::desk::test {

std::string DeskBinary() {
    if (const char* binary = std::getenv("OMNI_DESK_BINARY"); binary && *binary) return binary;
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    return std::filesystem::path(std::string(self, n > 0 ? n : 0)).parent_path() / "omniprobe-desk";
}

DeskProcess::DeskProcess(const std::vector<std::string>& args, const std::string& password, const std::string& log) {
    std::vector<std::string> argv = {DeskBinary(), "--port", "0"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = harness::EnvironmentWithout("OMNI_DESK_");
    if (!password.empty()) env.push_back("OMNI_DESK_PASSWORD=" + password);
    // A client that is still sending when the service answers and closes (a body over the limit) must
    // get a write error, not die of SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    // The service goes with the test program, however that ends: an orphan would keep ctest's output
    // pipe open until the test's timeout.
    pid_ = harness::StartLogged(argv, env, log, true);
    if (pid_ < 0) throw std::runtime_error("cannot start " + argv[0]);
    // The banner ends with the storage line; the address is in the first.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;  // it ended: the banner says why
            break;
        }
        std::ifstream in(log);
        banner_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (banner_.find("storage:") != std::string::npos && banner_.back() == '\n') break;
        usleep(20000);
    }
    std::smatch m;
    if (!std::regex_search(banner_, m, std::regex("dashboard at https?://[^:]+:([0-9]+)/"))) {
        Kill(SIGKILL);
        throw std::runtime_error("omniprobe-desk did not start: " + banner_);
    }
    port_ = std::stoi(m[1]);
}

void DeskProcess::Kill(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

DeskProcess::~DeskProcess() {
    Kill(SIGTERM);
}

int RunDesk(const std::vector<std::string>& args, const std::vector<std::string>& environment, std::string& output,
            const std::string& input) {
    std::string command = "env";
    for (char** e = environ; *e; ++e) {
        const std::string name = std::string(*e).substr(0, std::string(*e).find('='));
        if (name.rfind("OMNI_DESK_", 0) == 0) command += " -u " + name;
    }
    auto quoted = [](const std::string& text) {
        std::string q = "'";
        for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    for (const std::string& e : environment) command += " " + quoted(e);
    command += " " + quoted(DeskBinary());
    for (const std::string& a : args) command += " " + quoted(a);
    command = "printf '%s' " + quoted(input) + " | " + command;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    output.clear();
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/desk-test.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace omni::desk::test
