#include "ovlib/ipendpoint.h"

#include "ovlib/overror.h"
#include "ovlib/ovexception.h"

#include <stdexcept>

namespace ovlib {

IPEndPoint::IPEndPoint(const std::array<uint8_t, 4> &address, uint32_t port)
    : m_address(address)
    , m_port(port)
{
}

std::array<uint8_t, 4> IPEndPoint::parseAddress(const std::string &text)
{
    std::array<uint8_t, 4> result{};
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const size_t dot = text.find('.', start);
        if ((part < 3) != (dot != std::string::npos)) {
            throw OvException(OV_ERR_INVALID_PARAMETER);
        }
        const std::string item = text.substr(start, dot == std::string::npos ? dot : dot - start);
        int value = 0;
        try {
            size_t used = 0;
            value = std::stoi(item, &used, 10);
            // stoi also takes blanks and a sign; an address part is digits only.
            if (used != item.size() || item.find_first_not_of("0123456789") != std::string::npos) {
                throw OvException(OV_ERR_INVALID_PARAMETER);
            }
        } catch (const std::logic_error &e) {
            // invalid_argument and out_of_range name the conversion that failed.
            throw OvException(OV_ERR_INVALID_PARAMETER, e.what());
        }
        if (value < 0 || value > 255) {
            throw OvException(OV_ERR_INVALID_PARAMETER);
        }
        result[part] = static_cast<uint8_t>(value);
        start = dot + 1;
    }
    return result;
}

std::string IPEndPoint::addressText() const
{
    return std::to_string(m_address[0]) + '.' + std::to_string(m_address[1]) + '.' +
           std::to_string(m_address[2]) + '.' + std::to_string(m_address[3]);
}

std::string IPEndPoint::toString() const
{
    return addressText() + ':' + std::to_string(m_port);
}

} // namespace ovlib
