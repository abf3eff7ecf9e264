#pragma once

#include <cstdint>

namespace ovlib {

// Base of every command; the command manager takes protocol kinds 1 and 2 only.
class Command
{
public:
    explicit Command(uint32_t protocol = 1)
        : m_protocol(protocol)
    {
    }
    virtual ~Command() = default;

    uint32_t protocol() const { return m_protocol; }
    void setProtocol(uint32_t protocol) { m_protocol = protocol; }

private:
    uint32_t m_protocol;
};

} // namespace ovlib
