#include "ovlib/httpresponse.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ovlib::internal;
    if (size == 0) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    const size_t cap = 1024;
    const HttpResponseParse parsed = parseHttpResponse(bytes, data[0] & 1, cap);
    if (parsed.status == HttpResponseParse::Complete &&
        (parsed.body.size() > cap || parsed.consumed > bytes.size())) {
        __builtin_trap();
    }
    return 0;
}
