#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ovlib {

class OvUPnPDevice;

// Where a mixer serves its description document: what a search answer's LOCATION names, and
// where a mixer known only by its address is asked.
inline constexpr const char *DescriptionPath = "/description.xml";

struct AddressProbeResult
{
    // Null when the host could not be resolved or gave no usable description.
    std::shared_ptr<OvUPnPDevice> device;
    std::string error;
};

// The IPv4 address of a dotted address or a host name (resolved through the system's resolver,
// IPv4 only); empty with the reason in `error` when there is none.
std::optional<std::array<uint8_t, 4>> resolveIPv4(const std::string &host, std::string &error);

// Asks one host directly, without multicast, for the description a search answer would lead
// to, and builds the device from it under the rules of discovery. Blocks for at most the
// resolver's time and one description fetch; call it from a worker.
AddressProbeResult probeAddress(const std::string &host);

} // namespace ovlib
