#pragma once

#include "ovlib/ovresponses.h"

#include <memory>
#include <string>

namespace ovlib::internal {

// Each parser reads the bytes up to and including the first carriage return and throws
// OvException or OvResponseParserExeption with the fault's text.
std::shared_ptr<OvACKResponse> parseAck(const std::string &bytes);
std::shared_ptr<OvNAKResponse> parseNak(const std::string &bytes);
std::shared_ptr<OvAnswerResponse> parseAnswer(const std::string &bytes);
std::shared_ptr<OvAnswerExprtResponse> parseExprtAnswer(const std::string &commandName,
                                                        const std::string &bytes);

// Picks the parser by kind (1..4), prints a parser's fault and returns null instead of throwing.
std::shared_ptr<OvResponseObject> makeResponse(uint32_t kind, const std::string &commandName,
                                               const std::string &bytes);

// The receive step: looks at the front of a connection's buffer.
struct ScanResult
{
    enum Status { Incomplete, Complete, Malformed };
    Status status = Incomplete;
    std::shared_ptr<OvResponseObject> response;
    // Bytes to drop from the front of the buffer (0 while incomplete).
    size_t consumed = 0;
};

// The kind is read from the line itself (second item "ACK", "NAK" or "exprt", otherwise an
// answer) because one expectation accepts several kinds.
ScanResult scanResponse(const std::string &buffer, const std::string &commandName);

} // namespace ovlib::internal
