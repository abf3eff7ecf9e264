#include "ovlib/ssdpmessage.h"

#include <algorithm>
#include <cctype>

namespace ovlib::internal {

namespace {

std::string trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
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
    const size_t blank = text.find("\r\n\r\n");
    if (blank == std::string::npos) {
        return result;
    }
    size_t at = 0;
    bool first = true;
    while (at < blank) {
        const size_t eol = text.find("\r\n", at);
        const std::string line = text.substr(at, eol - at);
        at = eol + 2;
        if (first) {
            first = false;
            if (line.rfind("HTTP/1.1 200", 0) == 0) {
                result.message.kind = SsdpMessage::SearchResponse;
            } else if (line == "NOTIFY * HTTP/1.1") {
                result.message.kind = SsdpMessage::Notify;
            } else if (line == "M-SEARCH * HTTP/1.1") {
                result.message.kind = SsdpMessage::Search;
            } else {
                return result;
            }
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            return result;
        }
        const std::string name = lower(trimmed(line.substr(0, colon)));
        if (name.empty() || name.find_first_of(" \t") != std::string::npos) {
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
    if (first) {
        return result;
    }
    result.status = SsdpParseResult::Complete;
    result.consumed = blank + 4;
    return result;
}

std::string udnFromUsn(const std::string &usn)
{
    return usn.substr(0, usn.find("::"));
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
