#include "ovlib/responseparser.h"

#include "ovlib/overror.h"
#include "ovlib/ovexception.h"
#include "ovlib/protocoltokens.h"

#include <iostream>
#include <stdexcept>
#include <vector>

namespace ovlib::internal {

namespace {

const char *const EmptyNakText = "Data size equals 0 in OvNAKResponse parsing(constructor).";

// The line up to and including the first end character; throws when there is none.
std::string lineOf(const std::string &bytes, const char *noEndText)
{
    const size_t end = bytes.find(EndChar);
    if (end == std::string::npos) {
        throw OvException(OV_ERR_INVALID_DATA, noEndText);
    }
    return bytes.substr(0, end + 1);
}

// Splits at single spaces; the last item keeps the rest once maxItems is reached.
std::vector<std::string> splitItems(const std::string &line, size_t maxItems = 0)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        if (maxItems != 0 && items.size() + 1 == maxItems) {
            items.push_back(line.substr(start));
            return items;
        }
        const size_t space = line.find(ItemSeparator, start);
        if (space == std::string::npos) {
            items.push_back(line.substr(start));
            return items;
        }
        items.push_back(line.substr(start, space - start));
        start = space + 1;
    }
}

bool isMarker(const std::string &item)
{
    return item == SingleFrame || item == FirstFrame || item == MiddleFrame || item == LastFrame;
}

int32_t decimal(const std::string &text)
{
    try {
        size_t used = 0;
        const int value = std::stoi(text, &used, 10);
        if (used != text.size()) {
            throw OvException(OV_ERR_INVALID_DATA, "stoi: trailing characters");
        }
        return value;
    } catch (const std::logic_error &e) {
        throw OvException(OV_ERR_INVALID_DATA, e.what());
    }
}

} // namespace

std::shared_ptr<OvACKResponse> parseAck(const std::string &bytes)
{
    if (bytes.empty()) {
        throw OvException(OV_ERR_INVALID_DATA,
                          "Data size equals 0 in OvACKResponse parsing(constructor).");
    }
    const std::string line = lineOf(bytes, "End char not included.");
    const std::vector<std::string> items = splitItems(line);
    if (items.size() != 3) {
        throw OvException(OV_ERR_INVALID_DATA,
                          "Invalid elements num at ACKResponse constructor called.");
    }
    if (items[1] != AckToken) {
        throw OvException(OV_ERR_INVALID_PARAMETER, "Not ACK but ACKResponse constructor called.");
    }
    if (items[2] != std::string(1, EndChar)) {
        throw OvException(OV_ERR_INVALID_PARAMETER,
                          "ACK but invalid end charactor at ACKResponse.");
    }
    return std::make_shared<OvACKResponse>(items[0], line.size());
}

std::shared_ptr<OvNAKResponse> parseNak(const std::string &bytes)
{
    if (bytes.empty()) {
        throw OvException(OV_ERR_INVALID_DATA, EmptyNakText);
    }
    const std::string line = lineOf(bytes, "End char not included.");
    const std::vector<std::string> items = splitItems(line);
    if (items.size() != 4) {
        throw OvException(OV_ERR_INVALID_PARAMETER,
                          "Invalid field num at NAKResponse constructor called.");
    }
    if (items[1] != NakToken) {
        throw OvException(OV_ERR_INVALID_PARAMETER, "Not NAK but NAKResponse constructor called.");
    }
    if (items[3] != std::string(1, EndChar)) {
        throw OvException(OV_ERR_INVALID_PARAMETER,
                          "NAK but invalid end charactor at NAKResponse.");
    }
    return std::make_shared<OvNAKResponse>(items[0], line.size(), decimal(items[2]));
}

std::shared_ptr<OvAnswerResponse> parseAnswer(const std::string &bytes)
{
    if (bytes.empty()) {
        throw OvException(OV_ERR_INVALID_DATA, EmptyNakText);
    }
    const std::string line = lineOf(bytes, "End char not included.");
    if (line.size() < 2 || line[line.size() - 2] != ItemSeparator) {
        throw OvException(OV_ERR_INVALID_DATA, "Last delimiter not included.");
    }
    if (line.size() - 1 >= 255) {
        throw OvResponseParserExeption(OV_ERR_INVALID_DATA, "Too long Answer response.");
    }
    const std::vector<std::string> items = splitItems(line, 5);
    if (items.size() < 4) {
        throw OvResponseParserExeption(OV_ERR_INVALID_PARAMETER,
                                       "Splited items num are less than 4 at AnswerResponse.");
    }
    std::string data;
    if (items.size() == 5 && items[4].size() >= 2) {
        data = items[4].substr(0, items[4].size() - 2);
    }
    if (!isMarker(items[3])) {
        throw OvResponseParserExeption(OV_ERR_INVALID_DATA,
                                       "Invalid element in Continue Select field.");
    }
    return std::make_shared<OvAnswerResponse>(items[0], line.size(), items[3], data);
}

// An export answer: first item, "exprt", the data length in decimal, the continue-select
// marker, the data, a space and the end character.
std::shared_ptr<OvAnswerExprtResponse> parseExprtAnswer(const std::string &commandName,
                                                        const std::string &bytes)
{
    if (commandName != ExportCommand) {
        throw OvException(OV_ERR_INVALID_PARAMETER,
                          "Command is not exprt in AnswerExprtResponse()");
    }
    if (bytes.empty()) {
        throw OvException(OV_ERR_INVALID_DATA, EmptyNakText);
    }
    const size_t end = bytes.find(EndChar);
    if (end == std::string::npos) {
        throw OvResponseParserExeption(OV_ERR_INVALID_DATA, "End character not found.");
    }
    const std::string line = bytes.substr(0, end + 1);
    if (line.size() < 2 || line[line.size() - 2] != ItemSeparator) {
        throw OvResponseParserExeption(OV_ERR_INVALID_DATA, "Last delimiter character not found.");
    }
    const std::vector<std::string> items = splitItems(line, 5);
    if (items.size() != 5 || items[1] != ExportCommand) {
        throw OvResponseParserExeption(
            OV_ERR_INVALID_DATA,
            "Not match num of elements as exprt command at OvAnswerExprtResponse()");
    }
    const bool digits = !items[2].empty() && items[2].size() <= 6 &&
                        items[2].find_first_not_of("0123456789") == std::string::npos;
    if (!digits || !isMarker(items[3])) {
        throw OvResponseParserExeption(
            OV_ERR_INVALID_DATA, "Invalid Continue Select row value in AnswerExprtResponse()");
    }
    const size_t length = std::stoul(items[2]);
    const std::string data = items[4].substr(0, items[4].size() - 2);
    if (data.size() < length) {
        throw OvResponseParserExeption(OV_ERR_INVALID_DATA, "Not enough actual data length.");
    }
    return std::make_shared<OvAnswerExprtResponse>(items[0], line.size(), items[3],
                                                   data.substr(0, length));
}

std::shared_ptr<OvResponseObject> makeResponse(uint32_t kind, const std::string &commandName,
                                               const std::string &bytes)
{
    try {
        switch (kind) {
        case RESPONSE_ACK:
            return parseAck(bytes);
        case RESPONSE_NAK:
            return parseNak(bytes);
        case RESPONSE_ANSWER:
            return parseAnswer(bytes);
        case RESPONSE_EXPRT:
            return parseExprtAnswer(commandName, bytes);
        default:
            return nullptr;
        }
    } catch (const std::exception &e) {
        // A malformed line must never end the processing thread.
        std::cerr << "Error: " << e.what() << '\n';
        return nullptr;
    }
}

ScanResult scanResponse(const std::string &buffer, const std::string &commandName)
{
    ScanResult result;
    const size_t end = buffer.find(EndChar);
    if (end == std::string::npos) {
        if (buffer.size() >= MaxFrameSize) {
            std::cerr << "Can not analyze response,but recived over 255 byte .\n";
            result.status = ScanResult::Malformed;
            result.consumed = buffer.size();
        }
        return result;
    }
    const std::string line = buffer.substr(0, end + 1);
    // The second item names the kind; it ends at the next space or at the end character, so
    // "S ACK\r" still reaches the acknowledge parser and fails there with its own text.
    const size_t firstSpace = line.find(ItemSeparator);
    const std::string second =
        firstSpace == std::string::npos
            ? std::string()
            : line.substr(firstSpace + 1,
                          line.find_first_of(" \r", firstSpace + 1) - firstSpace - 1);
    uint32_t kind = RESPONSE_ANSWER;
    if (second == AckToken) {
        kind = RESPONSE_ACK;
    } else if (second == NakToken) {
        kind = RESPONSE_NAK;
    } else if (second == ExportCommand) {
        kind = RESPONSE_EXPRT;
    }
    result.consumed = line.size();
    result.response = makeResponse(kind, commandName, line);
    result.status = result.response ? ScanResult::Complete : ScanResult::Malformed;
    return result;
}

} // namespace ovlib::internal
