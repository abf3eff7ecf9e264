#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ovlib {

class OvException : public std::exception
{
public:
    // The message is the code's name from the code table.
    explicit OvException(int32_t code);
    OvException(int32_t code, std::string message);

    int32_t code() const { return m_code; }
    const std::string &message() const { return m_message; }
    const char *what() const noexcept override;

private:
    int32_t m_code;
    std::string m_message;
};

namespace internal {

// Structural faults of an answer line; kept apart from OvException so the receive step can tell
// a broken line from a bad argument.
class OvResponseParserExeption : public std::exception
{
public:
    OvResponseParserExeption(int32_t code, std::string message);

    int32_t code() const { return m_code; }
    const std::string &message() const { return m_message; }
    const char *what() const noexcept override;

private:
    int32_t m_code;
    std::string m_message;
};

} // namespace internal
} // namespace ovlib
