// The receive loop of one command exchange, fed by a talker that replays the input in reads
// of input-chosen sizes and then falls silent.
#include "quietstderr.h"

#include "ovlib/commandexchange.h"
#include "ovlib/ovcommand.h"
#include "ovlib/ovresponses.h"
#include "ovlib/ovtalker.h"

#include <cstdint>
#include <string>

namespace {

class ReplayTalker : public ovlib::internal::OvTalker
{
public:
    ReplayTalker(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    int connect() override { return 0; }
    int send(const std::string &) override { return 0; }
    int receive(std::string &bytes) override
    {
        if (m_at >= m_size) {
            return 10; // the device stays silent: the time-out
        }
        const size_t chunk = 1 + m_data[m_at] % 64;
        ++m_at;
        const size_t take = std::min(chunk, m_size - m_at);
        bytes.append(reinterpret_cast<const char *>(m_data + m_at), take);
        m_at += take;
        // A bounded buffer never holds more than one line and one read.
        if (bytes.size() > 600) {
            __builtin_trap();
        }
        return take == 0 ? 10 : 0;
    }
    int close() override { return 0; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceStderr();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const uint8_t mode = data[0];
    const bool origin = mode & 1;
    const bool answer = mode & 2;
    // Mostly single frames: a multi-frame command waits 10 ms after each acknowledgement.
    const size_t bodyLength = (mode & 4) ? 300 : 4;
    const char *name = (mode & 8) ? "exprt" : "query";
    const ovlib::OvCommand command(name, {std::string(bodyLength, 'p')}, origin, answer, 1, 0);
    ReplayTalker talker(data + 1, size - 1);
    std::shared_ptr<ovlib::OvResponseObject> last;
    ovlib::internal::runExchange(talker, command, last);
    const auto collected = std::dynamic_pointer_cast<ovlib::OvAnswerResponse>(last);
    if (collected && collected->data().size() > ovlib::internal::MaxAnswerData) {
        __builtin_trap();
    }
    return 0;
}
