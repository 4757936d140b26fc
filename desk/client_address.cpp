#include "client_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>

namespace omni::desk {

namespace {

SocketAddress Numeric(const sockaddr_storage& storage, socklen_t size) {
    char host[NI_MAXHOST] = "", service[NI_MAXSERV] = "";
    SocketAddress address;
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&storage), size, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return address;
    address.address = NormalizedAddress(host).value_or(host);
    address.port = std::atoi(service);
    return address;
}

}  // namespace

SocketAddress PeerAddressOf(int socket) {
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&storage), &size) != 0) return {};
    return Numeric(storage, size);
}

SocketAddress LocalAddressOf(int socket) {
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &size) != 0) return {};
    return Numeric(storage, size);
}

std::optional<std::string> NormalizedAddress(const std::string& text) {
    in_addr v4{};
    in6_addr v6{};
    char out[INET6_ADDRSTRLEN] = "";
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return inet_ntop(AF_INET, &v4, out, sizeof out);
    if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) return std::nullopt;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) return inet_ntop(AF_INET, &v6.s6_addr[12], out, sizeof out);
    return inet_ntop(AF_INET6, &v6, out, sizeof out);
}

std::string ClientAddress(const std::string& peer, const std::string& header, const std::vector<std::string>& trusted) {
    if (header.empty() || std::find(trusted.begin(), trusted.end(), peer) == trusted.end()) return peer;
    return NormalizedAddress(header).value_or(peer);
}

}  // namespace omni::desk
