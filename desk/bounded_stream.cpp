#include "bounded_stream.h"

#include <poll.h>
#include <sys/socket.h>

#include <cstring>

#include "client_address.h"

namespace omni::desk {

BoundedStream::BoundedStream(Transport& transport, int socket, std::string peer, int peerPort,
                             const RequestBounds& bounds)
    : transport_(transport), socket_(socket), peer_(std::move(peer)), peerPort_(peerPort), bounds_(bounds) {
    StartRequest();
}

void BoundedStream::StartRequest() {
    deadline_ = Clock::now() + bounds_.deadline;
    inHead_ = true;
    headBytes_ = lineBytes_ = 0;
    headLines_ = 0;
    lineIsCr_ = false;
    received_ = 0;
}

bool BoundedStream::WaitForNext(std::chrono::seconds wait) {
    return start_ < end_ || transport_.Pending() || WaitFor(socket_, POLLIN, Clock::now() + wait);
}

bool BoundedStream::is_readable() const {
    return start_ < end_ || transport_.Pending() || WaitFor(socket_, POLLIN, deadline_);
}

bool BoundedStream::is_writable() const {
    return WaitFor(socket_, POLLOUT, Clock::now() + bounds_.writeTimeout);
}

bool BoundedStream::Fill() {
    if (refusal_ != Refusal::None) return false;
    bool timedOut = false;
    const ssize_t n = transport_.Read(buffer_, sizeof buffer_, deadline_, timedOut);
    if (n <= 0) {
        if (timedOut) refusal_ = Refusal::TooSlow;
        return false;
    }
    start_ = 0;
    end_ = static_cast<size_t>(n);
    return true;
}

// The head ends at its first empty line; up to there every byte and line counts.
bool BoundedStream::CountHead(const char* data, size_t size) {
    for (size_t i = 0; i < size && inHead_; ++i) {
        if (++headBytes_ > bounds_.headBytes) return false;
        if (data[i] != '\n') {
            lineIsCr_ = lineBytes_ == 0 && data[i] == '\r';
            ++lineBytes_;
            continue;
        }
        const bool empty = lineBytes_ == 0 || (lineBytes_ == 1 && lineIsCr_);
        if (++headLines_ > 1 && empty) inHead_ = false;
        else if (headLines_ > bounds_.headLines) return false;
        lineBytes_ = 0;
        lineIsCr_ = false;
    }
    return true;
}

ssize_t BoundedStream::read(char* data, size_t size) {
    if (start_ == end_ && !Fill()) return -1;
    size_t n = std::min(size, end_ - start_);
    if (inHead_) {
        // Hand out the head one line at most, so the count sees where it ends before the body is handed out.
        const char* newline = static_cast<const char*>(std::memchr(buffer_ + start_, '\n', n));
        if (newline) n = static_cast<size_t>(newline - (buffer_ + start_)) + 1;
        if (!CountHead(buffer_ + start_, n)) {
            refusal_ = Refusal::HeadTooLarge;
            return -1;
        }
    }
    std::memcpy(data, buffer_ + start_, n);
    start_ += n;
    received_ += n;
    return static_cast<ssize_t>(n);
}

ssize_t BoundedStream::write(const char* data, size_t size) {
    size_t sent = 0;
    const Clock::time_point deadline = Clock::now() + bounds_.writeTimeout;
    while (sent < size) {
        const ssize_t n = transport_.Write(data + sent, size - sent, deadline);
        if (n <= 0) return sent > 0 ? static_cast<ssize_t>(sent) : -1;
        sent += static_cast<size_t>(n);
    }
    written_ += sent;
    return static_cast<ssize_t>(sent);
}

void BoundedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    ip = peer_;
    port = peerPort_;
}

void BoundedStream::get_local_ip_and_port(std::string& ip, int& port) const {
    SocketAddress local = LocalAddressOf(socket_);
    ip = local.address;
    port = local.port;
}

}  // namespace omni::desk
