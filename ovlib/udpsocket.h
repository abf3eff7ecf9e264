#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ovlib::internal {

inline constexpr const char *SsdpGroup = "239.255.255.250";
inline constexpr uint16_t SsdpPort = 1900;

// One IPv4 address of an interface that is up and can carry multicast.
struct MulticastInterface
{
    std::string name;
    unsigned index = 0;
    std::array<uint8_t, 4> address{};
    int prefixLength = 32;
};

// Every address of every such interface, an interface with several addresses once per
// address. Looked at anew on every call: laptops gain and lose interfaces while we run.
std::vector<MulticastInterface> multicastInterfaces();

// The interface whose network holds the address, longest prefix first; index 0 when none.
MulticastInterface interfaceFor(const std::array<uint8_t, 4> &address);

// A datagram socket bound to address:port (0.0.0.0 for any), sharing the port with other
// sockets when shared is set. -1 on failure with errno set.
int openUdpSocket(const std::array<uint8_t, 4> &address, uint16_t port, bool shared);

// Joins the SSDP group on one interface; an existing membership counts as joined.
bool joinSsdpGroupOn(int fd, const MulticastInterface &interface);
// Joins the SSDP group on every multicast interface: the number of interfaces joined (or
// already joined). Without a group route a join "on any interface" fails, so we never rely on
// one.
int joinSsdpGroup(int fd);

// Waits up to timeoutMs for one datagram: its size, 0 on time-out, -1 on error (errno set).
long receiveDatagram(int fd, char *buffer, size_t size, std::array<uint8_t, 4> &from,
                     uint16_t &fromPort, int timeoutMs);

bool sendDatagram(int fd, const std::string &bytes, const std::array<uint8_t, 4> &to,
                  uint16_t port);
// Sends a multicast datagram out of one interface, from its address, whatever the routes say.
bool sendDatagramVia(int fd, const std::string &bytes, const std::array<uint8_t, 4> &to,
                     uint16_t port, const MulticastInterface &interface);

std::array<uint8_t, 4> ssdpGroupAddress();

} // namespace ovlib::internal
