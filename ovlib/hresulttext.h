#pragma once

#include <cstdint>
#include <string>

namespace ovlib::internal {

// The text for a discovery failure code of the platform's UPnP service. Kept as a pure function
// so that codes carried over from that service still print the same words.
std::string hresultText(uint32_t code);

} // namespace ovlib::internal
