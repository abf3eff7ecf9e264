#include "ovlib/httpresponse.h"

#include <strings.h>

namespace ovlib::internal {

HttpResponseParse parseHttpResponse(const std::string &bytes, bool closed, size_t maxBody)
{
    HttpResponseParse result;
    const size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        result.status = closed || bytes.size() > 8192 ? HttpResponseParse::Malformed
                                                      : HttpResponseParse::Incomplete;
        return result;
    }
    const std::string head = bytes.substr(0, headEnd + 2);
    if (head.rfind("HTTP/1.", 0) != 0 || head.size() < 12) {
        result.status = HttpResponseParse::Malformed;
        return result;
    }
    const std::string code = head.substr(9, 3);
    if (code.find_first_not_of("0123456789") != std::string::npos) {
        result.status = HttpResponseParse::Malformed;
        return result;
    }
    result.statusCode = std::stoi(code);
    bool hasLength = false;
    size_t length = 0;
    for (size_t at = head.find("\r\n") + 2; at < head.size();) {
        const size_t eol = head.find("\r\n", at);
        const std::string line = head.substr(at, eol - at);
        at = eol + 2;
        if (line.size() > 15 && strncasecmp(line.c_str(), "content-length:", 15) == 0) {
            const size_t start = line.find_first_not_of(' ', 15);
            const std::string value = start == std::string::npos ? "" : line.substr(start);
            if (value.empty() || value.size() > 9 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                result.status = HttpResponseParse::Malformed;
                return result;
            }
            hasLength = true;
            length = std::stoul(value);
        }
    }
    const size_t bodyStart = headEnd + 4;
    const size_t available = bytes.size() - bodyStart;
    if ((hasLength && length > maxBody) || available > maxBody) {
        result.status = HttpResponseParse::Malformed;
        return result;
    }
    if (hasLength ? available < length : !closed) {
        result.status = closed ? HttpResponseParse::Malformed : HttpResponseParse::Incomplete;
        return result;
    }
    const size_t bodyLength = hasLength ? length : available;
    result.body = bytes.substr(bodyStart, bodyLength);
    result.consumed = bodyStart + bodyLength;
    result.status = HttpResponseParse::Complete;
    return result;
}

} // namespace ovlib::internal
