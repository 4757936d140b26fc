// A client at the level of bytes on a socket, from any loopback address: for requests that no well-behaved
// client library sends (a head of megabytes, a byte at a time) and for posts from many addresses.
#pragma once

#include <sys/types.h>

#include <string>

namespace omni::desk::test {

class RawConnection {
public:
    // Connects from `from` (127.0.0.2, say) to 127.0.0.1:port; throws when it cannot.
    RawConnection(const std::string& from, int port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // False once the peer no longer takes bytes.
    bool Send(const std::string& bytes);
    // Everything the peer sends until it closes (or two minutes pass without a byte).
    std::string ReadToEnd();
    // Whether the peer has answered or closed by now, without waiting.
    bool Answered();

private:
    int socket_ = -1;
};

// The status of an HTTP answer ("HTTP/1.1 431 ..."), 0 when there is none.
int StatusOf(const std::string& answer);

// A whole request: "POST <target>" with the headers given (CR LF after each) and the body.
std::string Request(const std::string& method, const std::string& target, const std::string& headers,
                    const std::string& body);

// The process's peak resident memory (VmHWM), in kB.
long PeakMemoryKb(pid_t pid);

}  // namespace omni::desk::test
