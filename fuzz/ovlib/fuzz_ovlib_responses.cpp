#include "quietstderr.h"

#include "ovlib/ovexception.h"
#include "ovlib/responseparser.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceStderr();
    return 0;
}

// The first byte picks the parser; the rest is the received line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ovlib;
    using namespace ovlib::internal;
    if (size == 0) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    const std::string command = (data[0] & 0x10) ? "exprt" : "query";
    try {
        std::shared_ptr<OvResponseObject> response;
        switch (data[0] % 4) {
        case 0:
            response = parseAck(bytes);
            break;
        case 1:
            response = parseNak(bytes);
            break;
        case 2:
            response = parseAnswer(bytes);
            break;
        default:
            response = parseExprtAnswer(command, bytes);
            break;
        }
        if (response->consumed() == 0 || response->consumed() > bytes.size()) {
            __builtin_trap();
        }
    } catch (const OvException &) {
    } catch (const OvResponseParserExeption &) {
    }
    const ScanResult scan = scanResponse(bytes, command);
    if (scan.consumed > bytes.size() || (scan.status == ScanResult::Complete && !scan.response)) {
        __builtin_trap();
    }
    return 0;
}
