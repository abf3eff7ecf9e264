#pragma once

#include <cstdint>
#include <memory>

namespace ovlib {
class OvCommand;
class OvResponseObject;
} // namespace ovlib

namespace ovlib::internal {

class OvTalker;

// Sends every frame of one command over a fresh connection and waits for each frame's expected
// response. Returns 0, the device's error number of a negative acknowledge, or a library code;
// last is the last response received (a complete multi-frame answer when one was collected).
// A fresh connection and buffer per command keep a late answer from being matched to the next
// command.
int32_t runExchange(OvTalker &talker, const OvCommand &command,
                    std::shared_ptr<OvResponseObject> &last);

} // namespace ovlib::internal
