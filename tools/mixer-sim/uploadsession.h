#pragma once

#include "mixerfaults.h"

#include <cstddef>
#include <optional>
#include <string>

namespace velmora::sim {

// The mixer's side of one data-set upload: beginupload opens it, fileupload appends chunks
// that must continue exactly where the last one ended, endupload hands over the whole text.
// The rcodes other than 1 tell the failures apart for whoever reads a capture.
class UploadSession
{
public:
    enum Rcode {
        Ok = 1,
        NoTransfer = 2, // fileupload or endupload without beginupload
        BadSlot = 3,    // a data set or bank the mixer does not have
        BadOffset = 4,  // offset is not the number of bytes received so far
        BadSize = 5,    // size is not the length of the part, or the part is too long
        BadContent = 6, // the finished text is not a JSON object
    };
    static constexpr std::size_t kMaxChunk = 61440;

    // A new beginupload drops whatever transfer was open.
    int begin(int target, int bank);
    int append(long long offset, long long size, const std::string &bytes);
    // On success `completed` holds the slot and the whole text; the transfer is closed in
    // every case.
    int end(DataSlot &slot, std::string &completed);

    bool isOpen() const { return m_slot.has_value(); }
    std::optional<DataSlot> slot() const { return m_slot; }

private:
    std::optional<DataSlot> m_slot;
    std::string m_received;
};

} // namespace velmora::sim
