#include "ovlib/hresulttext.h"

#include <cstdio>

namespace ovlib::internal {

std::string hresultText(uint32_t code)
{
    switch (code) {
    case 0x80010106:
        return "RPC_E_CHANGED_MODE - Trying to change COM concurrency model for a thread";
    case 0x80040200:
        return "Root Element Expected";
    case 0x80040201:
        return "Device Element Expected";
    case 0x80040202:
        return "Service Element Expected";
    case 0x80040203:
        return "Service Node Incomplete";
    case 0x80040204:
        return "Device Node Incomplete";
    case 0x80040205:
        return "Icon Element Expected";
    case 0x80040206:
        return "Icon Node Incomplete";
    case 0x80040207:
        return "Invalid Action";
    case 0x80040208:
        return "Invalid Arguments";
    case 0x80040209:
        return "Out of Sync";
    case 0x80040210:
        return "Action Request Failed";
    case 0x80040211:
        return "Transport Error";
    case 0x80040212:
        return "Variable Value Unknown";
    case 0x80040213:
        return "Invalid Variable";
    case 0x80040214:
        return "Device Error";
    case 0x80040215:
        return "Protocol Error";
    case 0x80040216:
        return "Error Processing Response";
    case 0x80040217:
        return "Device Timeout";
    case 0x80040500:
        return "Invalid Document";
    case 0x80040501:
        return "Event Subscription Failed";
    default:
        break;
    }
    if (code >= 0x80040300 && code <= 0x8004042B) {
        return "Action Specific Error";
    }
    char text[1024];
    std::snprintf(text, sizeof text, "An error has occured.\n\nError Code: 0x%x", code);
    return text;
}

} // namespace ovlib::internal
