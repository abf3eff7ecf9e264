#include "ovlib/frames.h"

#include "ovlib/ovcommand.h"
#include "ovlib/protocoltokens.h"

#include <cstdio>

namespace ovlib::internal {

namespace {

std::string join(const std::vector<std::string> &items)
{
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += ItemSeparator;
        }
        out += items[i];
    }
    return out;
}

std::string zeroFilled(uint32_t value, int width)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, value);
    return text;
}

} // namespace

std::vector<Frame> buildFrames(const OvCommand &command)
{
    const std::string header =
        join({command.name(), command.originFlag() ? "O" : "H",
              zeroFilled(command.fourDigitField(), 4), zeroFilled(command.twoDigitField(), 2)});
    const std::string body = join(command.parameters());
    const std::string end(1, EndChar);
    if (header.size() + 3 + body.size() <= MaxFrameSize) {
        return {Frame{join({header, SingleFrame, body, end}), 0}};
    }
    // Cuts may fall inside a parameter: the device joins the pieces before it reads them.
    const size_t piece = header.size() < 248 ? 249 - header.size() : 1;
    std::vector<Frame> frames;
    for (size_t at = 0; at < body.size(); at += piece) {
        const bool first = at == 0;
        const bool last = at + piece >= body.size();
        const char *marker = first ? FirstFrame : (last ? LastFrame : MiddleFrame);
        frames.push_back(
            Frame{join({header, marker, body.substr(at, piece), end}), first ? 1 : (last ? 3 : 2)});
    }
    return frames;
}

int expectationCode(int position, bool originFlag, bool answerFlag)
{
    static const int table[16] = {1, 1, 1, 1, 2, 2, 2, 2, 4, 3, 3, 4, 5, 2, 2, 5};
    if (position < 0 || position > 3) {
        return 0;
    }
    return table[position + 4 * (originFlag ? 1 : 0) + 8 * (answerFlag ? 1 : 0)];
}

} // namespace ovlib::internal
