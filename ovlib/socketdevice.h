#pragma once

#include "ovlib/device.h"
#include "ovlib/ipendpoint.h"

namespace ovlib {

// A device reached over TCP on its command endpoint.
class SocketDevice : public Device
{
public:
    explicit SocketDevice(const IPEndPoint &endpoint)
        : m_endpoint(endpoint)
    {
    }

    const IPEndPoint &endpoint() const { return m_endpoint; }

private:
    IPEndPoint m_endpoint;
};

} // namespace ovlib
