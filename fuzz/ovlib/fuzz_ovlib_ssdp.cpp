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
        // Values are trimmed: no blank may survive at either end.
        for (const auto &[name, value] : result.message.headers) {
            if (!value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                   value.back() == ' ' || value.back() == '\t')) {
                std::abort();
            }
        }
        const long maxAge = maxAgeSeconds(result.message.header("cache-control"));
        if (maxAge < -1 || maxAge > 86400) {
            std::abort();
        }
    }
    return 0;
}
