#pragma once

#include <string>

namespace ovlib::internal {

// The transport of one device's command exchange.
class OvTalker
{
public:
    virtual ~OvTalker() = default;
    virtual int connect() = 0;
    virtual int send(const std::string &bytes) = 0;
    // Appends what arrived to bytes; 0 with data, otherwise a library code.
    virtual int receive(std::string &bytes) = 0;
    virtual int close() = 0;
};

} // namespace ovlib::internal
