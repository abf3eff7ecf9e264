#include "uploadsession.h"

#include "mixerdata.h"

#include <QJsonDocument>

namespace velmora::sim {

int UploadSession::begin(int target, int bank)
{
    m_slot.reset();
    m_received.clear();
    if (!isValidSlot(target, bank)) {
        return BadSlot;
    }
    m_slot = DataSlot{target, bank};
    return Ok;
}

int UploadSession::append(long long offset, long long size, const std::string &bytes)
{
    if (!m_slot) {
        return NoTransfer;
    }
    if (offset != static_cast<long long>(m_received.size())) {
        return BadOffset;
    }
    if (size != static_cast<long long>(bytes.size()) || bytes.size() > kMaxChunk) {
        return BadSize;
    }
    m_received += bytes;
    return Ok;
}

int UploadSession::end(DataSlot &slot, std::string &completed)
{
    const std::optional<DataSlot> open = m_slot;
    std::string received = std::move(m_received);
    m_slot.reset();
    m_received.clear();
    if (!open) {
        return NoTransfer;
    }
    // The mixer stores only what it can read back as settings.
    if (!QJsonDocument::fromJson(QByteArray::fromStdString(received)).isObject()) {
        return BadContent;
    }
    slot = *open;
    completed = std::move(received);
    return Ok;
}

} // namespace velmora::sim
