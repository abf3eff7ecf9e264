#pragma once

#include "ovlib/ipendpoint.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace ovlib {
class OvUPnPDevice;
struct DeviceDescription;
} // namespace ovlib

namespace ovlib::internal {

// The command endpoint for a description URL: its IPv4 host with port 17300. Prints why and
// returns nothing when the host is not an IPv4 address.
std::optional<IPEndPoint> commandEndpointFromUrl(const std::string &url,
                                                 const std::string &friendlyName);

// Port and path of a LOCATION URL (port 80 when none is given); false when the port is bad.
bool locationPortAndPath(const std::string &url, uint16_t &port, std::string &path);

// Builds the device from a parsed description; null (with its message, and the reason in `why`)
// when the description has no UDN or device type, its UDN is not the one the announcement named
// (udnFromUsn), or the URL names no IPv4 host or a host other than the responder. Without an
// identity a device would be added anew on every cycle.
std::shared_ptr<OvUPnPDevice> makeUpnpDevice(const DeviceDescription &description,
                                             const std::string &location,
                                             const std::array<uint8_t, 4> &responder,
                                             const std::string &announcedUdn,
                                             std::string *why = nullptr);

// Fetches the description from the responder (never from a host the packet names) and builds
// the device; null when anything fails, with the reason in `why`.
std::shared_ptr<OvUPnPDevice> buildUpnpDevice(const std::string &location,
                                              const std::array<uint8_t, 4> &responder,
                                              const std::string &announcedUdn,
                                              std::string *why = nullptr);

} // namespace ovlib::internal
