#include "child_process.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

extern char** environ;

namespace omni::desk::harness {

pid_t StartLogged(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const std::string& log, bool append) {
    std::vector<std::string> args = argv, env = environment;
    std::vector<char*> cargv, cenv;
    for (std::string& a : args) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    for (std::string& e : env) cenv.push_back(e.data());
    cenv.push_back(nullptr);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0644);
    if (out < 0) return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // The signal follows the thread that forked: a caller that starts a child from a short-lived
        // thread must keep that thread until the child may go.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(out, 1);
        dup2(out, 2);
        execvpe(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    close(out);
    return pid > 0 ? pid : -1;
}

std::vector<std::string> EnvironmentWithout(const std::string& prefix) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (prefix.empty() || std::string(*e).rfind(prefix, 0) != 0) env.push_back(*e);
    return env;
}

int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

}  // namespace omni::desk::harness
