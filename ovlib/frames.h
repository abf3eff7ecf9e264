#pragma once

#include <string>
#include <vector>

namespace ovlib {
class OvCommand;
}

namespace ovlib::internal {

struct Frame
{
    std::string bytes;
    // 0 single, 1 first, 2 middle, 3 last.
    int position = 0;
};

std::vector<Frame> buildFrames(const OvCommand &command);

// What the device is expected to send back for a frame at this position (1..5).
int expectationCode(int position, bool originFlag, bool answerFlag);

} // namespace ovlib::internal
