#include "transport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>

#include <openssl/err.h>

namespace omni::desk {

namespace {

// Rounded up, so that a wait that ends has reached its deadline.
int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

class Plain : public Transport {
public:
    explicit Plain(int socket) : socket_(socket) {}
    ssize_t Read(char* data, size_t size, Clock::time_point deadline, bool& timedOut) override {
        for (;;) {
            const ssize_t n = ::recv(socket_, data, size, MSG_DONTWAIT);
            if (n >= 0) return n;
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
            if (!WaitFor(socket_, POLLIN, deadline)) {
                timedOut = Clock::now() >= deadline;
                return -1;
            }
        }
    }
    ssize_t Write(const char* data, size_t size, Clock::time_point deadline) override {
        for (;;) {
            const ssize_t n = ::send(socket_, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n >= 0) return n;
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
            if (!WaitFor(socket_, POLLOUT, deadline)) return -1;
        }
    }

private:
    const int socket_;
};

class Tls : public Transport {
public:
    Tls(SSL* ssl, int socket) : ssl_(ssl), socket_(socket) {}
    ~Tls() override { SSL_free(ssl_); }
    // Runs one OpenSSL call until it completes, waiting for the socket as OpenSSL asks, up to the deadline.
    template <typename Call> int Drive(Call call, Clock::time_point deadline, bool* timedOut = nullptr) {
        for (;;) {
            ERR_clear_error();
            const int n = call();
            if (n > 0) return n;
            const int error = SSL_get_error(ssl_, n);
            if (error == SSL_ERROR_ZERO_RETURN) return 0;
            short events = 0;
            if (error == SSL_ERROR_WANT_READ) events = POLLIN;
            else if (error == SSL_ERROR_WANT_WRITE) events = POLLOUT;
            else return -1;
            if (!WaitFor(socket_, events, deadline)) {
                if (timedOut) *timedOut = Clock::now() >= deadline;
                return -1;
            }
        }
    }
    ssize_t Read(char* data, size_t size, Clock::time_point deadline, bool& timedOut) override {
        return Drive([&] { return SSL_read(ssl_, data, static_cast<int>(std::min<size_t>(size, 1 << 30))); }, deadline,
                     &timedOut);
    }
    ssize_t Write(const char* data, size_t size, Clock::time_point deadline) override {
        return Drive([&] { return SSL_write(ssl_, data, static_cast<int>(std::min<size_t>(size, 1 << 30))); }, deadline);
    }
    bool Pending() const override { return SSL_pending(ssl_) > 0; }
    void Close() override { SSL_shutdown(ssl_); }  // one try: a peer that is gone gets no wait

private:
    SSL* ssl_;
    const int socket_;
};

}  // namespace

bool WaitFor(int socket, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd one{socket, events, 0};
        const int ready = ::poll(&one, 1, MillisecondsUntil(deadline));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (ready == 0 && Clock::now() >= deadline) return false;
    }
}

std::unique_ptr<Transport> PlainTransport(int socket) { return std::make_unique<Plain>(socket); }

TlsContext::TlsContext(const std::string& certFile, const std::string& keyFile) : context_(SSL_CTX_new(TLS_server_method())) {
    if (!context_) throw std::runtime_error("no TLS context");
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    if (SSL_CTX_use_certificate_chain_file(context_, certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(context_) != 1) {
        char reason[256] = "";
        ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
        SSL_CTX_free(context_);
        throw std::runtime_error(reason);
    }
}

TlsContext::~TlsContext() { SSL_CTX_free(context_); }

std::unique_ptr<Transport> TlsContext::Accept(int socket, Clock::time_point deadline) const {
    SSL* ssl = SSL_new(context_);
    if (!ssl) return nullptr;
    const int flags = fcntl(socket, F_GETFL);
    fcntl(socket, F_SETFL, flags | O_NONBLOCK);  // OpenSSL then asks to wait, and the wait has a deadline
    SSL_set_fd(ssl, socket);
    auto tls = std::make_unique<Tls>(ssl, socket);
    if (tls->Drive([ssl] { return SSL_accept(ssl); }, deadline) <= 0) return nullptr;
    return tls;
}

}  // namespace omni::desk
