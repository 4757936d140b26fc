// The HTTP library's server with the bounds it does not have itself: at most so many connections at once
// (and per address), each request's head limited and due by a deadline. Its own settings bound each header
// line and each read's wait, but neither the number of lines nor a whole request's time, and its thread
// pool queues connections without end; it does let a server class serve a connection through a stream of
// its own (as its HTTPS server does), which is where these bounds are kept.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <httplib.h>

#include "bounded_stream.h"
#include "transport.h"

namespace omni::desk {

struct ServerBounds {
    RequestBounds request;
    int connections = 64;            // served at once, each on a thread of its own; more get 503 at once
    int connectionsPerAddress = 16;  // from one address that is not a trusted proxy
    std::vector<std::string> trustedProxies;
};

// Counts open connections, in all and per address.
class ConnectionGate {
public:
    ConnectionGate(int total, int perAddress, std::vector<std::string> exempt)
        : total_(total), perAddress_(perAddress), exempt_(std::move(exempt)) {}
    bool Enter(const std::string& address);
    void Leave(const std::string& address);

private:
    const int total_, perAddress_;
    const std::vector<std::string> exempt_;  // the trusted proxies: they carry everyone's connections
    std::mutex lock_;
    int open_ = 0;
    std::unordered_map<std::string, int> byAddress_;
};

class BoundedServer : public httplib::Server {
public:
    // `tls`: serve HTTPS with it; null: plain HTTP.
    BoundedServer(ServerBounds bounds, std::unique_ptr<TlsContext> tls);
    // For the request being served on this thread: 431 when its head was too large, 408 when it did not
    // arrive in time, else 0.
    static int RefusedStatus();

private:
    bool process_and_close_socket(int socket) override;

    const ServerBounds bounds_;
    const std::unique_ptr<TlsContext> tls_;
    ConnectionGate gate_;
};

}  // namespace omni::desk
