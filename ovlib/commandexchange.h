#pragma once

#include <chrono>
#include <cstddef>
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
// The same for a device that talked before: the first send keeps the gap after lastActivity,
// which the exchange then sets to its own end, so consecutive commands keep the gap too.
int32_t runExchange(OvTalker &talker, const OvCommand &command,
                    std::shared_ptr<OvResponseObject> &last,
                    std::chrono::steady_clock::time_point &lastActivity);
// The same within `limit` instead of commandDeadline(): past it the exchange ends with
// OV_ERR_TIMEDOUT, however steadily the device still sends.
int32_t runExchange(OvTalker &talker, const OvCommand &command,
                    std::shared_ptr<OvResponseObject> &last,
                    std::chrono::steady_clock::time_point &lastActivity,
                    std::chrono::milliseconds limit);

// How long a command of `frameCount` frames may take in all. Each receive gives up after a
// quiet half second, but a device that trickles a byte now and then never falls quiet; this
// bounds that. A share per frame keeps a long upload within its limit on a slow link.
std::chrono::milliseconds commandDeadline(size_t frameCount);

// Time a device is given between two sends.
inline constexpr std::chrono::milliseconds SendGap{10};
// The most answer data one command may collect over its frames.
inline constexpr size_t MaxAnswerData = 64 * 1024;

} // namespace ovlib::internal
