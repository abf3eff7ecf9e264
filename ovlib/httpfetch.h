#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ovlib::internal {

struct FetchResult
{
    bool ok = false;
    std::string body;
    std::string error;
};

inline constexpr size_t MaxDescriptionSize = 64 * 1024;
inline constexpr int DescriptionTimeoutMs = 2000;
// A description that stops arriving for this long is abandoned before the overall deadline.
inline constexpr long StallSeconds = 1;

// GET path from address:port over libcurl, never through a proxy and never following a
// redirect. The fetch is abandoned once the body passes maxBody, the peer stalls or the whole
// exchange takes longer than timeoutMs, so a hostile responder can neither flood nor stall us.
// Only a complete 200 reply counts; a truncated body is a failure.
FetchResult httpGet(const std::array<uint8_t, 4> &address, uint16_t port, const std::string &path,
                    size_t maxBody = MaxDescriptionSize, int timeoutMs = DescriptionTimeoutMs);

} // namespace ovlib::internal
