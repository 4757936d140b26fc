#include "raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace omni::desk::test {

RawConnection::RawConnection(const std::string& from, int port) {
    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    const timeval wait{120, 0};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(socket_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(socket_);
        throw std::runtime_error("cannot connect from " + from + " to port " + std::to_string(port));
    }
}

RawConnection::~RawConnection() { ::close(socket_); }

bool RawConnection::Send(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string RawConnection::ReadToEnd() {
    std::string answer;
    char buffer[16384];
    ssize_t n;
    while ((n = ::recv(socket_, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<size_t>(n));
    return answer;
}

bool RawConnection::Answered() {
    pollfd one{socket_, POLLIN, 0};
    return ::poll(&one, 1, 0) > 0;
}

int StatusOf(const std::string& answer) {
    if (answer.compare(0, 9, "HTTP/1.1 ") != 0 && answer.compare(0, 9, "HTTP/1.0 ") != 0) return 0;
    return std::atoi(answer.c_str() + 9);
}

std::string Request(const std::string& method, const std::string& target, const std::string& headers,
                    const std::string& body) {
    return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers +
           (body.empty() && method == "GET" ? "" : "Content-Length: " + std::to_string(body.size()) + "\r\n") +
           "Connection: close\r\n\r\n" + body;
}

long PeakMemoryKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

}  // namespace omni::desk::test
