#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ovlib::internal {

inline constexpr const char *SsdpGroup = "239.255.255.250";
inline constexpr uint16_t SsdpPort = 1900;

// A datagram socket bound to address:port (0.0.0.0 for any), sharing the port with other
// sockets when shared is set. -1 on failure with errno set.
int openUdpSocket(const std::array<uint8_t, 4> &address, uint16_t port, bool shared);

// Joins the SSDP group on the interface that carries the group route.
bool joinSsdpGroup(int fd);

// Waits up to timeoutMs for one datagram: its size, 0 on time-out, -1 on error.
long receiveDatagram(int fd, char *buffer, size_t size, std::array<uint8_t, 4> &from,
                     uint16_t &fromPort, int timeoutMs);

bool sendDatagram(int fd, const std::string &bytes, const std::array<uint8_t, 4> &to,
                  uint16_t port);

std::array<uint8_t, 4> ssdpGroupAddress();

} // namespace ovlib::internal
