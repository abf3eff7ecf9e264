#pragma once

#include <cstdint>
#include <string>

namespace ovlib {

// Every condition of the library is one of these codes; 101..199 are the device's own command
// error numbers as they arrive in a negative acknowledgement.
enum : int32_t {
    OV_SUCCESS = 0,
    OV_ERR_DONE = 1,
    OV_ERR_SYSTEM = 2,
    OV_ERR_INVALID_PARAMETER = 3,
    OV_ERR_INVALID_DATA = 4,
    OV_ERR_INVALID_STATE = 5,
    OV_ERR_NOMEMORY = 6,
    OV_ERR_INTERRUPTED = 7,
    OV_ERR_TRUNCATED = 8,
    OV_ERR_NOTSUPPORTED = 9,
    OV_ERR_TIMEDOUT = 10,
    OV_ERR_NOTFOUND = 11,
    OV_ERR_RANGE = 12,
    OV_ERR_VERSION = 13,
    OV_CMD_ERR_INVALID_CMD = 101,
    OV_CMD_ERR_INVALID_OPTION = 102,
    OV_CMD_ERR_INVALID_PARAMETER = 103,
    OV_CMD_ERR_BUSY = 190,
    OV_CMD_ERR_UNKNOWN = 199,
};

// The code's name ("OV_ERR_TIMEDOUT"), empty for a value without one.
std::string errorName(int32_t code);

} // namespace ovlib
