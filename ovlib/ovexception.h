#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ovlib {

namespace internal {

// A library code with a message; the two exception types below differ only in what they mean.
class CodedException : public std::exception
{
public:
    CodedException(int32_t code, std::string message)
        : m_code(code)
        , m_message(std::move(message))
    {
    }

    int32_t code() const { return m_code; }
    const std::string &message() const { return m_message; }
    const char *what() const noexcept override { return m_message.c_str(); }

private:
    int32_t m_code;
    std::string m_message;
};

} // namespace internal

class OvException : public internal::CodedException
{
public:
    // The message is the code's name from the code table.
    explicit OvException(int32_t code);
    OvException(int32_t code, std::string message)
        : CodedException(code, std::move(message))
    {
    }
};

namespace internal {

// Structural faults of an answer line; kept apart from OvException so the receive step can tell
// a broken line from a bad argument.
class OvResponseParserExeption : public CodedException
{
public:
    OvResponseParserExeption(int32_t code, std::string message)
        : CodedException(code, std::move(message))
    {
    }
};

} // namespace internal
} // namespace ovlib
