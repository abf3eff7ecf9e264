#include "quietstderr.h"

#include "ovlib/descriptionparser.h"
#include "ovlib/ovupnpdevice.h"
#include "ovlib/upnpdevicebuilder.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceStderr();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ovlib::internal;
    const auto description = parseDescription(reinterpret_cast<const char *>(data), size);
    if (description) {
        for (const auto &icon : description->icons) {
            if (icon.width < 0 || icon.height < 0 || icon.depth < 0) {
                __builtin_trap();
            }
        }
        // The icon URLs and the friendly name stand in for hostile LOCATION values too.
        const std::string url = description->icons[0].url;
        uint16_t port = 0;
        std::string path;
        locationPortAndPath(url, port, path);
        commandEndpointFromUrl(url, description->friendlyName);
        for (const std::string *field : {&description->friendlyName, &description->modelName,
                                         &description->udn, &description->deviceType}) {
            const std::string &text = *field;
            // XML's own blanks only: a form feed is data, however odd.
            const char *blanks = " \t\r\n";
            if (!text.empty() && (std::strchr(blanks, text.front()) != nullptr ||
                                  std::strchr(blanks, text.back()) != nullptr)) {
                __builtin_trap();
            }
        }
        // A device is built only with an identity, and only the one it was announced with.
        const auto device = makeUpnpDevice(*description, url, {127, 0, 0, 2}, description->udn);
        if (device && (device->udn().empty() || device->getKey().empty())) {
            __builtin_trap();
        }
        if (makeUpnpDevice(*description, url, {127, 0, 0, 2}, description->udn + "x")) {
            __builtin_trap();
        }
    }
    return 0;
}
