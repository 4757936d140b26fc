// Who sent a request: the socket's peer, or, when the peer is a proxy the service trusts, the client that
// the proxy names in its X-Real-IP header. A header from anyone else is ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace omni::desk {

inline constexpr char kClientHeader[] = "X-Real-IP";

struct SocketAddress {
    std::string address;  // numeric; an IPv4 address mapped into IPv6 as plain IPv4
    int port = 0;
};

SocketAddress PeerAddressOf(int socket);
SocketAddress LocalAddressOf(int socket);

// The numeric form of an IPv4 or IPv6 address (IPv4 mapped into IPv6 as plain IPv4); nullopt for
// anything else.
std::optional<std::string> NormalizedAddress(const std::string& text);

// The client's address: the header's when the peer is one of the trusted proxies and the header holds
// an address, else the peer's.
std::string ClientAddress(const std::string& peer, const std::string& header, const std::vector<std::string>& trusted);

}  // namespace omni::desk
