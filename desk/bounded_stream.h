// One connection as the HTTP library reads and writes it, with the bounds the library lacks: the head of a
// request (request line and header lines) is limited in bytes and lines, and a whole request must arrive
// before its deadline, however slowly its bytes trickle in.
#pragma once

#include <chrono>
#include <string>

#include <httplib.h>

#include "transport.h"

namespace omni::desk {

struct RequestBounds {
    size_t headBytes = 32 * 1024;
    int headLines = 100;
    std::chrono::milliseconds deadline{std::chrono::seconds(20)};  // for the whole request, head and body
    std::chrono::milliseconds writeTimeout{std::chrono::seconds(5)};  // for each write of the answer
};

// Why a request was cut off: its head was too large, or it did not arrive in time.
enum class Refusal { None, HeadTooLarge, TooSlow };

class BoundedStream : public httplib::Stream {
public:
    BoundedStream(Transport& transport, int socket, std::string peer, int peerPort, const RequestBounds& bounds);

    // Starts the next request's count and deadline.
    void StartRequest();
    // Waits for the first byte of a next request on a kept-alive connection; false when none comes in time.
    bool WaitForNext(std::chrono::seconds wait);
    Refusal refusal() const { return refusal_; }
    size_t received() const { return received_; }  // bytes of the current request read so far
    size_t written() const { return written_; }  // bytes answered on the connection so far

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* data, size_t size) override;
    ssize_t write(const char* data, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    int socket() const override { return socket_; }

private:
    bool Fill();
    bool CountHead(const char* data, size_t size);

    Transport& transport_;
    const int socket_;
    const std::string peer_;
    const int peerPort_;
    const RequestBounds bounds_;
    char buffer_[4096];
    size_t start_ = 0, end_ = 0;  // unread bytes in buffer_
    Clock::time_point deadline_;
    bool inHead_ = true;
    size_t headBytes_ = 0, lineBytes_ = 0;
    int headLines_ = 0;
    bool lineIsCr_ = false;  // the current line so far is one CR
    size_t received_ = 0, written_ = 0;
    Refusal refusal_ = Refusal::None;
};

}  // namespace omni::desk
