#pragma once

#include "ovlib/ovtalker.h"
#include "ovlib/socketclient.h"

namespace ovlib::internal {

class OvUPnPTalker : public OvTalker
{
public:
    explicit OvUPnPTalker(const IPEndPoint &endpoint)
        : m_client(endpoint)
    {
    }

    int connect() override { return m_client.connect(); }
    int send(const std::string &bytes) override { return m_client.send(bytes); }
    int receive(std::string &bytes) override { return m_client.receive(bytes); }
    int close() override { return m_client.close(); }

private:
    SocketClient m_client;
};

} // namespace ovlib::internal
