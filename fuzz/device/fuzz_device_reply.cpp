// Any bytes a mixer might send as a CGI reply: the reply rules must neither crash nor hang,
// and must keep their promises on every input.
#include "device/qovcgireply.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

namespace {
void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}
} // namespace

// Qt 5.15's JSON parser loses the dropped value of a duplicate key; not our allocation.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt5Core.so.5\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));

    const QByteArray &body = bytes;
    const int rcode = QovCgiReply::rcode(body);
    check(QovCgiReply::succeeded(body) == (rcode == 1), "success is not rcode 1");
    const QovCgiApi::DeviceInfo info = QovCgiReply::deviceInfo(body);
    check(info.error.isEmpty() == (rcode == 1), "device info error disagrees with rcode");
    check(!info.macAddress.contains(QLatin1Char('-')), "dash left in the MAC address");
    check(info.macAddress == info.macAddress.toUpper(), "lower case left in the MAC address");
    check(info.ovLink != QovOnlineDeviceModelInternal::PRIMARY || !info.linkedExtensions.isEmpty(),
          "primary without linked units");
    return 0;
}
