#include "ovlib/upnpdevicebuilder.h"

#include "ovlib/descriptionparser.h"
#include "ovlib/httpfetch.h"
#include "ovlib/ovexception.h"
#include "ovlib/ovupnpdevice.h"

#include <iostream>

namespace ovlib::internal {

std::optional<IPEndPoint> commandEndpointFromUrl(const std::string &url,
                                                 const std::string &friendlyName)
{
    const std::string host = hostFromUrl(url);
    try {
        return IPEndPoint(IPEndPoint::parseAddress(host), OvUPnPDevice::CommandPort);
    } catch (const OvException &e) {
        std::cerr << "Error creating IPEndPoint for device " << friendlyName
                  << ". Exception: " << e.code() << ", " << e.message() << " Extracted URL=["
                  << host << "]. Device ignored.\n";
        return std::nullopt;
    }
}

bool locationPortAndPath(const std::string &url, uint16_t &port, std::string &path)
{
    const size_t scheme = url.find("://");
    const std::string rest = scheme == std::string::npos ? url : url.substr(scheme + 3);
    const size_t slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    path = slash == std::string::npos ? "/" : rest.substr(slash);
    port = 80;
    const size_t colon = authority.find(':');
    if (colon != std::string::npos) {
        const std::string digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        const unsigned long value = std::stoul(digits);
        if (value == 0 || value > 65535) {
            return false;
        }
        port = static_cast<uint16_t>(value);
    }
    // A request line must not be split by what a packet put into the path.
    return path.find_first_of(" \r\n") == std::string::npos;
}

namespace {
std::shared_ptr<OvUPnPDevice> refuse(std::string *why, std::string reason)
{
    if (why) {
        *why = std::move(reason);
    }
    return nullptr;
}
} // namespace

std::shared_ptr<OvUPnPDevice> makeUpnpDevice(const DeviceDescription &description,
                                             const std::string &location,
                                             const std::array<uint8_t, 4> &responder,
                                             const std::string &announcedUdn, std::string *why)
{
    const std::string at = IPEndPoint(responder, 0).addressText();
    const std::optional<IPEndPoint> endpoint =
        commandEndpointFromUrl(location, description.friendlyName);
    if (!endpoint) {
        return refuse(why, "its description URL names no IPv4 host: " + location);
    }
    if (endpoint->address() != responder) {
        std::cerr << "Error: Description URL of device " << description.friendlyName
                  << " names another host than the responder " << at << ". Device ignored.\n";
        return refuse(why, "its description URL names another host: " + location);
    }
    if (description.udn.empty() || description.deviceType.empty()) {
        std::cerr << "Error: Description of device " << description.friendlyName << " at "
                  << location << " has no UDN or no device type. Device ignored.\n";
        return refuse(why, "the description at " + at + " names no device");
    }
    if (description.udn != announcedUdn) {
        std::cerr << "Error: Description of device " << description.friendlyName << " names UDN "
                  << description.udn << " but the announcement named " << announcedUdn
                  << ". Device ignored.\n";
        return refuse(why, "the description at " + at + " names another device (" +
                               description.udn + ") than its answer (" + announcedUdn + ")");
    }
    return std::make_shared<OvUPnPDevice>(description, *endpoint);
}

std::shared_ptr<OvUPnPDevice> buildUpnpDevice(const std::string &location,
                                              const std::array<uint8_t, 4> &responder,
                                              const std::string &announcedUdn, std::string *why)
{
    uint16_t port = 0;
    std::string path;
    if (!locationPortAndPath(location, port, path)) {
        std::cerr << "Error: Could not find URL of device " << location << ". Device ignored.\n";
        return refuse(why, "its answer names no usable description URL: " + location);
    }
    const std::string at = IPEndPoint(responder, 0).addressText();
    const FetchResult fetched = httpGet(responder, port, path);
    if (!fetched.ok) {
        std::cerr << "Error getting device description document! " << fetched.error << '\n';
        return refuse(why, "no description at " + at + ": " + fetched.error);
    }
    const std::optional<DeviceDescription> description =
        parseDescription(fetched.body.data(), fetched.body.size());
    if (!description) {
        std::cerr << "Error: Invalid description document at " << location << ". Device ignored.\n";
        return refuse(why, "the description at " + at + " is not valid");
    }
    return makeUpnpDevice(*description, location, responder, announcedUdn, why);
}

} // namespace ovlib::internal
