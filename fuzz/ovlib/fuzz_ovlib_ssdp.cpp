#include "ovlib/ssdpmessage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ovlib::internal;
    const SsdpParseResult result = parseSsdpMessage(reinterpret_cast<const char *>(data), size);
    if (result.status == SsdpParseResult::Complete) {
        if (result.consumed > size || result.message.headers.size() > MaxSsdpHeaders ||
            result.message.header("usn").size() > MaxUsnLength) {
            std::abort();
        }
        udnFromUsn(result.message.header("usn"));
    }
    return 0;
}
