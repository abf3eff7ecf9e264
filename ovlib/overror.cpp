#include "ovlib/overror.h"

namespace ovlib {

std::string errorName(int32_t code)
{
    switch (code) {
    case OV_SUCCESS:
        return "OV_SUCCESS";
    case OV_ERR_DONE:
        return "OV_ERR_DONE";
    case OV_ERR_SYSTEM:
        return "OV_ERR_SYSTEM";
    case OV_ERR_INVALID_PARAMETER:
        return "OV_ERR_INVALID_PARAMETER";
    case OV_ERR_INVALID_DATA:
        return "OV_ERR_INVALID_DATA";
    case OV_ERR_INVALID_STATE:
        return "OV_ERR_INVALID_STATE";
    case OV_ERR_NOMEMORY:
        return "OV_ERR_NOMEMORY";
    case OV_ERR_INTERRUPTED:
        return "OV_ERR_INTERRUPTED";
    case OV_ERR_TRUNCATED:
        return "OV_ERR_TRUNCATED";
    case OV_ERR_NOTSUPPORTED:
        return "OV_ERR_NOTSUPPORTED";
    case OV_ERR_TIMEDOUT:
        return "OV_ERR_TIMEDOUT";
    case OV_ERR_NOTFOUND:
        return "OV_ERR_NOTFOUND";
    case OV_ERR_RANGE:
        return "OV_ERR_RANGE";
    case OV_ERR_VERSION:
        return "OV_ERR_VERSION";
    case OV_CMD_ERR_INVALID_CMD:
        return "OV_CMD_ERR_INVALID_CMD";
    case OV_CMD_ERR_INVALID_OPTION:
        return "OV_CMD_ERR_INVALID_OPTION";
    case OV_CMD_ERR_INVALID_PARAMETER:
        return "OV_CMD_ERR_INVALID_PARAMETER";
    case OV_CMD_ERR_BUSY:
        return "OV_CMD_ERR_BUSY";
    case OV_CMD_ERR_UNKNOWN:
        return "OV_CMD_ERR_UNKNOWN";
    default:
        return std::string();
    }
}

} // namespace ovlib
