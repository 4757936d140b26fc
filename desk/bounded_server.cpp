#include "bounded_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "client_address.h"

namespace omni::desk {

namespace {

// Threads beyond the connection cap: they only ever answer 503, so a full server still says so at once.
constexpr int kSpareThreads = 4;

thread_local const BoundedStream* current = nullptr;

// Sends a short answer of our own where the library wrote none (a request cut off in its first line, or
// a connection over the cap).
void Answer(Transport& transport, int status, const char* reason, const char* text) {
    const std::string body = std::string(text) + "\n";
    const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason +
                               "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
    for (size_t sent = 0; sent < answer.size();) {
        const ssize_t n = transport.Write(answer.data() + sent, answer.size() - sent, deadline);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

// After a refusal the client may still be sending: its bytes are read and dropped for a moment, so that
// closing does not reset the connection before the client has read the answer.
void Linger(int socket) {
    ::shutdown(socket, SHUT_WR);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
    char sink[16384];
    auto transport = PlainTransport(socket);
    bool timedOut = false;
    while (transport->Read(sink, sizeof sink, deadline, timedOut) > 0) {
    }
}

}  // namespace

bool ConnectionGate::Enter(const std::string& address) {
    const bool exempt = std::find(exempt_.begin(), exempt_.end(), address) != exempt_.end();
    std::lock_guard<std::mutex> hold(lock_);
    if (open_ >= total_) return false;
    if (!exempt) {
        int& mine = byAddress_[address];
        if (mine >= perAddress_) return false;
        ++mine;
    }
    ++open_;
    return true;
}

void ConnectionGate::Leave(const std::string& address) {
    std::lock_guard<std::mutex> hold(lock_);
    --open_;
    auto it = byAddress_.find(address);
    if (it != byAddress_.end() && --it->second <= 0) byAddress_.erase(it);
}

BoundedServer::BoundedServer(ServerBounds bounds, std::unique_ptr<TlsContext> tls)
    : bounds_(std::move(bounds)), tls_(std::move(tls)),
      gate_(bounds_.connections, bounds_.connectionsPerAddress, bounds_.trustedProxies) {
    const int threads = bounds_.connections + kSpareThreads;
    new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
}

int BoundedServer::RefusedStatus() {
    if (!current) return 0;
    switch (current->refusal()) {
    case Refusal::HeadTooLarge: return 431;
    case Refusal::TooSlow: return 408;
    case Refusal::None: return 0;
    }
    return 0;
}

bool BoundedServer::process_and_close_socket(int socket) {
    // An answer's head and body go out in separate writes: without this the body would wait for the
    // client's delayed acknowledgement of the head, 40 ms on Linux.
    const int noDelay = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    const SocketAddress peer = PeerAddressOf(socket);
    bool served = false;
    if (!gate_.Enter(peer.address)) {
        if (!tls_) Answer(*PlainTransport(socket), 503, "Service Unavailable", "The desk is busy: try again in a moment.");
        std::printf("connection from %s refused: too many open\n", peer.address.c_str());
        std::fflush(stdout);
    } else {
        std::unique_ptr<Transport> transport =
            tls_ ? tls_->Accept(socket, Clock::now() + bounds_.request.deadline) : PlainTransport(socket);
        if (transport) {
            BoundedStream stream(*transport, socket, peer.address, peer.port, bounds_.request);
            current = &stream;
            for (size_t left = keep_alive_max_count_; left > 0; --left) {
                if (left != keep_alive_max_count_) {
                    if (!stream.WaitForNext(std::chrono::seconds(keep_alive_timeout_sec_))) break;
                    stream.StartRequest();
                }
                const size_t before = stream.written();
                bool closed = false;
                try {
                    served = process_request(stream, left == 1, closed, nullptr);
                } catch (const std::exception& e) {  // outside the handlers (writing an answer): the connection ends
                    std::fprintf(stderr, "omniprobe-desk: a connection from %s failed: %s\n", peer.address.c_str(), e.what());
                    served = false;
                }
                if (stream.refusal() != Refusal::None) {
                    const bool large = stream.refusal() == Refusal::HeadTooLarge;
                    if (stream.written() == before && stream.received() > 0) {
                        if (large) Answer(*transport, 431, "Request Header Fields Too Large",
                                          "The request's head is larger than the desk accepts.");
                        else Answer(*transport, 408, "Request Timeout", "The request did not arrive in time.");
                    }
                    std::printf("request from %s cut off: %s\n", peer.address.c_str(),
                                large ? "its head is too large" : "it did not arrive in time");
                    std::fflush(stdout);
                    Linger(socket);
                    break;
                }
                if (!served || closed) break;
            }
            current = nullptr;
            transport->Close();
        }
        gate_.Leave(peer.address);
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    return served;
}

}  // namespace omni::desk
