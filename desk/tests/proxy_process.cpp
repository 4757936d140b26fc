#include "proxy_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "harness/child_process.h"
#include "raw_client.h"

namespace omni::desk::test {

ProxyProcess::ProxyProcess(const std::string& folder, const std::vector<int>& receivers) {
    port_ = harness::FreePort();
    std::vector<std::string> argv = {"sh", std::string(OMNI_DESK_SOURCE_DIR) + "/deploy/local-proxy.sh", folder,
                                     "127.0.0.1:" + std::to_string(port_)};
    for (int receiver : receivers) argv.push_back("127.0.0.1:" + std::to_string(receiver));
    const std::string log = folder + ".log";
    // The proxy is one process (no workers) and goes with the test program, however that ends.
    pid_ = harness::StartLogged(argv, harness::EnvironmentWithout(""), log, false);
    if (pid_ < 0) throw std::runtime_error("cannot start the proxy: " + log);
    for (int tries = 0; tries < 600; ++tries) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        try {
            RawConnection probe("127.0.0.1", port_);
            return;
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    std::ifstream in(log);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    throw std::runtime_error("the proxy did not start: " + said);
}

ProxyProcess::~ProxyProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace omni::desk::test
