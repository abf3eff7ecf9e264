#pragma once

#include "ovlib/ovresponseobject.h"

namespace ovlib {

class OvACKResponse : public OvResponseObject
{
public:
    OvACKResponse(std::string firstItem, size_t consumed)
        : OvResponseObject(RESPONSE_ACK, std::move(firstItem), consumed)
    {
    }
};

class OvNAKResponse : public OvResponseObject
{
public:
    OvNAKResponse(std::string firstItem, size_t consumed, int32_t errorNumber)
        : OvResponseObject(RESPONSE_NAK, std::move(firstItem), consumed)
        , m_errorNumber(errorNumber)
    {
    }
    int32_t errorNumber() const { return m_errorNumber; }

private:
    int32_t m_errorNumber;
};

class OvAnswerResponse : public OvResponseObject
{
public:
    OvAnswerResponse(std::string firstItem, size_t consumed, std::string continueSelect,
                     std::string data, uint32_t kind = RESPONSE_ANSWER)
        : OvResponseObject(kind, std::move(firstItem), consumed)
        , m_continueSelect(std::move(continueSelect))
        , m_data(std::move(data))
    {
    }
    const std::string &continueSelect() const { return m_continueSelect; }
    void setContinueSelect(std::string marker) { m_continueSelect = std::move(marker); }
    const std::string &data() const { return m_data; }
    void appendData(const std::string &more) { m_data += more; }

private:
    std::string m_continueSelect;
    std::string m_data;
};

class OvAnswerExprtResponse : public OvAnswerResponse
{
public:
    OvAnswerExprtResponse(std::string firstItem, size_t consumed, std::string continueSelect,
                          std::string data)
        : OvAnswerResponse(std::move(firstItem), consumed, std::move(continueSelect),
                           std::move(data), RESPONSE_EXPRT)
    {
    }
};

} // namespace ovlib
