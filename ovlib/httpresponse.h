#pragma once

#include <cstddef>
#include <string>

namespace ovlib::internal {

struct HttpResponseParse
{
    enum Status { Incomplete, Complete, Malformed };
    Status status = Incomplete;
    int statusCode = 0;
    std::string body;
    size_t consumed = 0;
};

// Parses an HTTP/1.x response held whole in memory. With a Content-Length the body must be
// complete; without one the body runs to the end of the bytes (closed is true once the peer
// has closed). A body over maxBody is malformed.
HttpResponseParse parseHttpResponse(const std::string &bytes, bool closed, size_t maxBody);

} // namespace ovlib::internal
