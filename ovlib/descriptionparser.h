#pragma once

#include "ovlib/devicedescription.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

namespace ovlib::internal {

// Reads the root device's fields and icon list from a description document. Empty when the
// document is not XML or has no device element; an icon list that does not parse leaves the
// four default icons. Field texts are trimmed of blanks and line ends. Icons come from the
// first "iconList" element (names compare case-insensitively): at most 4; any element other
// than a well-formed "icon" ends the list.
std::optional<DeviceDescription> parseDescription(const char *data, size_t size);

// The host of a description URL: after the first "://", cut before the first ":" or "/".
std::string hostFromUrl(const std::string &url);

} // namespace ovlib::internal
