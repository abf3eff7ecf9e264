#pragma once

#include "ovlib/overror.h"
#include "ovlib/ovtalker.h"

namespace ovlib::internal {

// A serial line has no connection to open; sending and receiving are not available.
class OvSerialTalker : public OvTalker
{
public:
    int connect() override { return 0; }
    int send(const std::string &) override { return OV_ERR_NOTSUPPORTED; }
    int receive(std::string &) override { return OV_ERR_NOTSUPPORTED; }
    int close() override { return 0; }
};

} // namespace ovlib::internal
