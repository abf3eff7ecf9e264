#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ovlib {

enum ResponseKind : uint32_t {
    RESPONSE_ACK = 1,
    RESPONSE_NAK = 2,
    RESPONSE_ANSWER = 3,
    RESPONSE_EXPRT = 4
};

// A device's response to one frame. Subclasses add what their kind carries.
class OvResponseObject
{
public:
    OvResponseObject(uint32_t kind, std::string firstItem, size_t consumed)
        : m_kind(kind)
        , m_firstItem(std::move(firstItem))
        , m_consumed(consumed)
    {
    }
    virtual ~OvResponseObject() = default;

    uint32_t requestId() const { return m_requestId; }
    void setRequestId(uint32_t id) { m_requestId = id; }
    uint32_t kind() const { return m_kind; }
    const std::string &firstItem() const { return m_firstItem; }
    size_t consumed() const { return m_consumed; }

private:
    uint32_t m_requestId = 0;
    uint32_t m_kind;
    std::string m_firstItem;
    size_t m_consumed;
};

} // namespace ovlib
