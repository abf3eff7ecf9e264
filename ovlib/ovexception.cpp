#include "ovlib/ovexception.h"

#include "ovlib/overror.h"

namespace ovlib {

OvException::OvException(int32_t code)
    : m_code(code)
    , m_message(errorName(code))
{
}

OvException::OvException(int32_t code, std::string message)
    : m_code(code)
    , m_message(std::move(message))
{
}

const char *OvException::what() const noexcept
{
    return m_message.c_str();
}

namespace internal {

OvResponseParserExeption::OvResponseParserExeption(int32_t code, std::string message)
    : m_code(code)
    , m_message(std::move(message))
{
}

const char *OvResponseParserExeption::what() const noexcept
{
    return m_message.c_str();
}

} // namespace internal
} // namespace ovlib
