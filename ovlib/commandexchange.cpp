#include "ovlib/commandexchange.h"

#include "ovlib/frames.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovresponses.h"
#include "ovlib/ovtalker.h"
#include "ovlib/protocoltokens.h"
#include "ovlib/responseparser.h"

#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

namespace ovlib::internal {

namespace {

using Clock = std::chrono::steady_clock;
// The receive buffer never needs more than one unparsed line plus one read.
constexpr size_t BufferCap = 2 * MaxFrameSize;

class Exchange
{
public:
    // Without a limit the frame count decides (commandDeadline).
    Exchange(OvTalker &talker, const OvCommand &command, Clock::time_point lastActivity,
             std::optional<std::chrono::milliseconds> limit)
        : m_talker(talker)
        , m_command(command)
        , m_ackedAt(lastActivity)
        , m_limit(limit)
    {
    }
    Clock::time_point finishedAt() const { return m_finishedAt; }

    int32_t run(std::shared_ptr<OvResponseObject> &last);

private:
    int32_t awaitFrameResponse(int code);
    // 0 accepted and done, -1 accepted but more answer frames follow, else a failure code.
    int32_t handle(int code, const std::shared_ptr<OvResponseObject> &response);
    int32_t collectAnswer(const std::shared_ptr<OvResponseObject> &response);
    bool pastDeadline() const;

    OvTalker &m_talker;
    const OvCommand &m_command;
    std::string m_buffer;
    std::shared_ptr<OvResponseObject> m_last;
    std::shared_ptr<OvAnswerResponse> m_collected;
    bool m_collecting = false;
    Clock::time_point m_ackedAt{};
    Clock::time_point m_finishedAt{};
    std::optional<std::chrono::milliseconds> m_limit;
    Clock::time_point m_deadline{};
};

bool Exchange::pastDeadline() const
{
    if (Clock::now() < m_deadline) {
        return false;
    }
    std::cerr << "Error: Command " << m_command.name() << " exceeded its deadline.\n";
    return true;
}

int32_t Exchange::run(std::shared_ptr<OvResponseObject> &last)
{
    const std::vector<Frame> frames = buildFrames(m_command);
    m_deadline = Clock::now() + m_limit.value_or(commandDeadline(frames.size()));
    if (m_talker.connect() != OV_SUCCESS) {
        return OV_ERR_SYSTEM;
    }
    int32_t result = OV_SUCCESS;
    for (const Frame &frame : frames) {
        std::this_thread::sleep_until(m_ackedAt + SendGap);
        if (m_talker.send(frame.bytes) != OV_SUCCESS) {
            result = OV_ERR_SYSTEM;
            break;
        }
        const int code =
            expectationCode(frame.position, m_command.originFlag(), m_command.answerFlag());
        result = awaitFrameResponse(code);
        if (result != OV_SUCCESS) {
            break;
        }
    }
    m_talker.close();
    m_finishedAt = Clock::now();
    last = m_last;
    return result;
}

int32_t Exchange::awaitFrameResponse(int code)
{
    // A frame sent on the device's own initiative is not answered.
    if (code == 2) {
        return OV_SUCCESS;
    }
    for (;;) {
        const ScanResult scan = scanResponse(m_buffer, m_command.name());
        if (scan.status == ScanResult::Incomplete) {
            const int rc = m_talker.receive(m_buffer);
            if (rc != OV_SUCCESS) {
                if (m_collecting && rc == OV_ERR_TIMEDOUT) {
                    std::cerr << "Fail to append answer response data because time out.\n";
                }
                return rc;
            }
            if (m_buffer.size() > BufferCap) {
                m_buffer.erase(0, m_buffer.size() - BufferCap);
            }
            if (pastDeadline()) {
                return OV_ERR_TIMEDOUT;
            }
            continue;
        }
        m_buffer.erase(0, scan.consumed);
        if (scan.status == ScanResult::Malformed) {
            return OV_ERR_INVALID_DATA;
        }
        const int32_t handled = handle(code, scan.response);
        if (handled != -1) {
            return handled;
        }
        // Answer parts that keep coming count against the deadline too.
        if (pastDeadline()) {
            return OV_ERR_TIMEDOUT;
        }
    }
}

int32_t Exchange::handle(int code, const std::shared_ptr<OvResponseObject> &response)
{
    m_last = response;
    const uint32_t kind = response->kind();
    if (kind < RESPONSE_ACK || kind > RESPONSE_EXPRT) {
        std::cerr << "Response parsed but unknown response object.\n";
        return OV_ERR_INVALID_DATA;
    }
    if (kind == RESPONSE_NAK && (code == 1 || code == 3 || code == 4 || code == 5)) {
        // A refusal must never read as success, whatever number the device sent.
        const int32_t number = static_cast<OvNAKResponse &>(*response).errorNumber();
        return number != OV_SUCCESS ? number : OV_CMD_ERR_UNKNOWN;
    }
    switch (code) {
    case 1:
    case 3:
        if (kind != RESPONSE_ACK) {
            break;
        }
        if (code == 3 && !m_command.originFlag()) {
            m_collected.reset();
            m_collecting = false;
        }
        m_ackedAt = Clock::now();
        return OV_SUCCESS;
    case 4:
    case 5:
        if (kind == RESPONSE_ANSWER || kind == RESPONSE_EXPRT) {
            return collectAnswer(response);
        }
        break;
    default:
        std::cerr << "Error: Undefined expectation response.\n";
        return OV_ERR_DONE;
    }
    std::cerr << "Error: Unexpected response type: " << kind << '\n';
    return OV_ERR_DONE;
}

int32_t Exchange::collectAnswer(const std::shared_ptr<OvResponseObject> &response)
{
    auto answer = std::dynamic_pointer_cast<OvAnswerResponse>(response);
    if (!answer) {
        std::cerr << "fail dynamic cast stored response to OvAnswerResponse.\n";
        return OV_ERR_INVALID_DATA;
    }
    const std::string &marker = answer->continueSelect();
    if (marker == SingleFrame || marker == FirstFrame) {
        if (m_collecting) {
            std::cerr << "Fail to append answer response data.\n";
            return OV_ERR_INVALID_DATA;
        }
        m_collected = answer;
        m_collecting = marker == FirstFrame;
        return m_collecting ? -1 : OV_SUCCESS;
    }
    if (!m_collecting || !m_collected) {
        std::cerr << "Illegal first Answer .\n";
        return OV_ERR_INVALID_DATA;
    }
    // A device that never sends the last frame must not grow our memory without end.
    if (m_collected->data().size() + answer->data().size() > MaxAnswerData) {
        std::cerr << "Fail to append answer response data.\n";
        return OV_ERR_INVALID_DATA;
    }
    m_collected->appendData(answer->data());
    m_last = m_collected;
    if (marker == MiddleFrame) {
        return -1;
    }
    m_collected->setContinueSelect(LastFrame);
    m_collecting = false;
    return OV_SUCCESS;
}

int32_t exchangeWithin(OvTalker &talker, const OvCommand &command,
                       std::shared_ptr<OvResponseObject> &last, Clock::time_point &lastActivity,
                       std::optional<std::chrono::milliseconds> limit)
{
    Exchange exchange(talker, command, lastActivity, limit);
    const int32_t result = exchange.run(last);
    lastActivity = exchange.finishedAt();
    return result;
}

} // namespace

int32_t runExchange(OvTalker &talker, const OvCommand &command,
                    std::shared_ptr<OvResponseObject> &last)
{
    Clock::time_point never{};
    return runExchange(talker, command, last, never);
}

int32_t runExchange(OvTalker &talker, const OvCommand &command,
                    std::shared_ptr<OvResponseObject> &last, Clock::time_point &lastActivity)
{
    return exchangeWithin(talker, command, last, lastActivity, std::nullopt);
}

int32_t runExchange(OvTalker &talker, const OvCommand &command,
                    std::shared_ptr<OvResponseObject> &last, Clock::time_point &lastActivity,
                    std::chrono::milliseconds limit)
{
    return exchangeWithin(talker, command, last, lastActivity, limit);
}

std::chrono::milliseconds commandDeadline(size_t frameCount)
{
    // A healthy device answers a frame within milliseconds; a second each is ample on any LAN.
    using std::chrono::milliseconds;
    return milliseconds(10000) + milliseconds(1000) * static_cast<int64_t>(frameCount);
}

} // namespace ovlib::internal
