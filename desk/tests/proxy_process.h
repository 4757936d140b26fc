// The shipped nginx site in front of receivers, as a child process on a free port of 127.0.0.1 with a
// folder of its own (desk/deploy/local-proxy.sh), stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace omni::desk::test {

class ProxyProcess {
public:
    // Starts the proxy before receivers on 127.0.0.1 at these ports and waits until it takes connections.
    ProxyProcess(const std::string& folder, const std::vector<int>& receivers);
    ~ProxyProcess();
    ProxyProcess(const ProxyProcess&) = delete;
    ProxyProcess& operator=(const ProxyProcess&) = delete;
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace omni::desk::test
