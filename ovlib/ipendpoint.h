#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ovlib {

class IPEndPoint
{
public:
    IPEndPoint() = default;
    IPEndPoint(const std::array<uint8_t, 4> &address, uint32_t port);

    // Dotted decimal text; throws OvException(OV_ERR_INVALID_PARAMETER) on anything else.
    static std::array<uint8_t, 4> parseAddress(const std::string &text);

    const std::array<uint8_t, 4> &address() const { return m_address; }
    uint32_t port() const { return m_port; }
    void setPort(uint32_t port) { m_port = port; }

    std::string addressText() const;
    std::string toString() const;

    bool operator==(const IPEndPoint &other) const
    {
        return m_address == other.m_address && m_port == other.m_port;
    }

private:
    std::array<uint8_t, 4> m_address{};
    uint32_t m_port = 0;
};

} // namespace ovlib
