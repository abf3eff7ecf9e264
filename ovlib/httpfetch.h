#pragma once

#include <array>
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

// GET path from address:port. The fetch is abandoned once the body passes maxBody or the whole
// exchange takes longer than timeoutMs, so a hostile responder can neither flood nor stall us.
FetchResult httpGet(const std::array<uint8_t, 4> &address, uint16_t port, const std::string &path,
                    size_t maxBody = MaxDescriptionSize, int timeoutMs = DescriptionTimeoutMs);

} // namespace ovlib::internal
