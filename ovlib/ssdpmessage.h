#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace ovlib::internal {

struct SsdpMessage
{
    enum Kind { SearchResponse, Notify, Search };
    Kind kind = SearchResponse;
    // Header names in lower case; values trimmed.
    std::map<std::string, std::string> headers;

    std::string header(const std::string &lowerName) const;
};

struct SsdpParseResult
{
    // A datagram is whole or nothing: there is no incomplete state.
    enum Status { Complete, Malformed };
    Status status = Malformed;
    SsdpMessage message;
    size_t consumed = 0;
};

// Parses one SSDP datagram. Lines may end in CR LF or in LF alone, and blanks around names and
// values do not count. Anything that is not a well-formed message (no blank line, a header line
// without colon, a duplicate or empty USN or LOCATION, an oversized USN) is malformed.
SsdpParseResult parseSsdpMessage(const char *data, size_t size);

// The device's UDN from a USN ("uuid:...::urn:..." gives "uuid:...").
std::string udnFromUsn(const std::string &usn);

// The max-age of a CACHE-CONTROL value in seconds; -1 when it names none.
long maxAgeSeconds(const std::string &cacheControl);

// The M-SEARCH datagram for a search target and MX.
std::string buildSearchRequest(const std::string &searchTarget, int mx);

inline constexpr size_t MaxUsnLength = 256;
inline constexpr size_t MaxSsdpHeaders = 32;

} // namespace ovlib::internal
