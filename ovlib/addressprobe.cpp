#include "ovlib/addressprobe.h"

#include "ovlib/descriptionparser.h"
#include "ovlib/httpfetch.h"
#include "ovlib/ipendpoint.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/upnpdevicebuilder.h"

#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace ovlib {

namespace {
// A host name is at most 253 characters; anything longer is not worth a resolver call.
constexpr size_t kMaxHostLength = 253;
} // namespace

std::optional<std::array<uint8_t, 4>> resolveIPv4(const std::string &host, std::string &error)
{
    if (host.empty() || host.size() > kMaxHostLength ||
        host.find_first_of(" /:@?#\r\n\t") != std::string::npos) {
        error = "not an IPv4 address or host name: " + host;
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0 || found == nullptr) {
        error = "cannot resolve " + host + ": " + ::gai_strerror(status);
        return std::nullopt;
    }
    std::array<uint8_t, 4> address{};
    std::memcpy(address.data(), &reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr,
                4);
    ::freeaddrinfo(found);
    return address;
}

AddressProbeResult probeAddress(const std::string &host)
{
    AddressProbeResult result;
    const std::optional<std::array<uint8_t, 4>> address = resolveIPv4(host, result.error);
    if (!address) {
        return result;
    }
    const std::string dotted = IPEndPoint(*address, 0).addressText();
    const internal::FetchResult fetched = internal::httpGet(*address, 80, DescriptionPath);
    if (!fetched.ok) {
        result.error = "no description at " + dotted + ": " + fetched.error;
        return result;
    }
    const std::optional<DeviceDescription> description =
        internal::parseDescription(fetched.body.data(), fetched.body.size());
    if (!description) {
        result.error = "the description at " + dotted + " is not valid";
        return result;
    }
    // What we asked for stands in for a search answer: the device must name itself (its UDN)
    // and live at the address we reached.
    result.device = internal::makeUpnpDevice(*description, "http://" + dotted + DescriptionPath,
                                             *address, description->udn, &result.error);
    return result;
}

} // namespace ovlib
