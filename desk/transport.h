// The bytes of one accepted connection, plain or TLS, each wait bounded by a deadline: no read or write
// waits past the time its caller gives.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>

#include <openssl/ssl.h>

namespace omni::desk {

using Clock = std::chrono::steady_clock;

class Transport {
public:
    virtual ~Transport() = default;
    // Up to `size` bytes: the count, 0 when the peer closed, -1 on an error or when the deadline passed
    // first (then timedOut is set).
    virtual ssize_t Read(char* data, size_t size, Clock::time_point deadline, bool& timedOut) = 0;
    // Some of the bytes (the count), or -1 on an error or when the deadline passed first.
    virtual ssize_t Write(const char* data, size_t size, Clock::time_point deadline) = 0;
    // Bytes already read from the socket and not yet handed out (TLS records).
    virtual bool Pending() const { return false; }
    // Ends the session politely, when there is one to end.
    virtual void Close() {}
};

// Waits until the socket is readable (or writable); false when the deadline passed first or on an error.
bool WaitFor(int socket, short events, Clock::time_point deadline);

std::unique_ptr<Transport> PlainTransport(int socket);

// A server certificate and key for TLS connections.
class TlsContext {
public:
    // Throws with the reason when the files cannot be used.
    TlsContext(const std::string& certFile, const std::string& keyFile);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;
    // The handshake, done before the deadline; nullptr when it failed or took too long.
    std::unique_ptr<Transport> Accept(int socket, Clock::time_point deadline) const;

private:
    SSL_CTX* context_;
};

}  // namespace omni::desk
