// The real service as a child process on a free port of 127.0.0.1, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace omni::desk::test {

// The service's binary: OMNI_DESK_BINARY, else omniprobe-desk beside the test program.
std::string DeskBinary();

class DeskProcess {
public:
    // Starts `omniprobe-desk --port 0 <args>` with OMNI_DESK_PASSWORD set (none when empty), its output
    // going to the file `log`, and waits for its address.
    DeskProcess(const std::vector<std::string>& args, const std::string& password, const std::string& log);
    ~DeskProcess();
    DeskProcess(const DeskProcess&) = delete;
    DeskProcess& operator=(const DeskProcess&) = delete;

    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    const std::string& banner() const { return banner_; }  // what it printed at start
    void Kill(int signal);                                  // and wait for it

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string banner_;
};

// Runs `omniprobe-desk <args>` to its end with the environment given (OMNI_DESK_* replaced by it) and `input`
// on its standard input; its exit code, and what it printed in `output`.
int RunDesk(const std::vector<std::string>& args, const std::vector<std::string>& environment, std::string& output,
            const std::string& input = "");

// A scratch folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace omni::desk::test
