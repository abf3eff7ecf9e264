#include "ovlib/ssdpmessage.h"

#include <algorithm>
#include <cctype>

namespace ovlib::internal {

namespace {

constexpr const char *Blanks = " \t";

std::string trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The next line from at, without its CR LF or LF; at moves past the line end. False when no
// line end follows.
bool nextLine(const std::string &text, size_t &at, std::string &line)
{
    const size_t eol = text.find('\n', at);
    if (eol == std::string::npos) {
        return false;
    }
    line = text.substr(at, eol - at);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    at = eol + 1;
    return true;
}

bool readStartLine(const std::string &line, SsdpMessage::Kind &kind)
{
    const std::string start = trimmed(line);
    if (start.rfind("HTTP/1.1 200", 0) == 0) {
        kind = SsdpMessage::SearchResponse;
    } else if (start == "NOTIFY * HTTP/1.1") {
        kind = SsdpMessage::Notify;
    } else if (start == "M-SEARCH * HTTP/1.1") {
        kind = SsdpMessage::Search;
    } else {
        return false;
    }
    return true;
}

} // namespace

std::string SsdpMessage::header(const std::string &lowerName) const
{
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

SsdpParseResult parseSsdpMessage(const char *data, size_t size)
{
    SsdpParseResult result;
    const std::string text(data, size);
    size_t at = 0;
    std::string line;
    if (!nextLine(text, at, line) || !readStartLine(line, result.message.kind)) {
        return result;
    }
    for (;;) {
        if (!nextLine(text, at, line)) {
            return result; // no blank line ends the headers
        }
        if (line.empty()) {
            break;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            return result;
        }
        const std::string name = lower(trimmed(line.substr(0, colon)));
        if (name.empty() || name.find_first_of(Blanks) != std::string::npos) {
            return result;
        }
        const std::string value = trimmed(line.substr(colon + 1));
        const bool identity = name == "usn" || name == "location";
        if (identity && (value.empty() || result.message.headers.count(name) != 0)) {
            return result;
        }
        if (name == "usn" && value.size() > MaxUsnLength) {
            return result;
        }
        if (result.message.headers.size() >= MaxSsdpHeaders) {
            return result;
        }
        result.message.headers.emplace(name, value);
    }
    result.status = SsdpParseResult::Complete;
    result.consumed = at;
    return result;
}

std::string udnFromUsn(const std::string &usn)
{
    return usn.substr(0, usn.find("::"));
}

long maxAgeSeconds(const std::string &cacheControl)
{
    const std::string text = lower(cacheControl);
    size_t at = text.find("max-age");
    if (at == std::string::npos) {
        return -1;
    }
    at = text.find_first_not_of(Blanks, at + 7);
    if (at == std::string::npos || text[at] != '=') {
        return -1;
    }
    at = text.find_first_not_of(Blanks, at + 1);
    if (at == std::string::npos || !std::isdigit(static_cast<unsigned char>(text[at]))) {
        return -1;
    }
    long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        // A day is more than any device needs; larger values are capped, never overflowed.
        value = std::min<long>(value * 10 + (text[at] - '0'), 86400);
    }
    return value;
}

std::string buildSearchRequest(const std::string &searchTarget, int mx)
{
    return "M-SEARCH * HTTP/1.1\r\n"
           "HOST: 239.255.255.250:1900\r\n"
           "MAN: \"ssdp:discover\"\r\n"
           "MX: " +
           std::to_string(mx) + "\r\nST: " + searchTarget + "\r\n\r\n";
}

} // namespace ovlib::internal
