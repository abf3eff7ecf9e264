#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velmora::sim {

// The data-set codes a mixer uses on the wire.
enum DataSetCode { PresetSet = 2, Eq12Set = 3, Eq4Set = 4, PartialPresetSet = 6, CurrentSet = 7 };

// Banks of a data set: 8 presets, 40 partial presets, one of everything else, 0 for a code
// the mixer does not know.
int bankCount(int target);
bool isValidSlot(int target, int bank);

// The five data sets of one mixer, each bank a UTF-8 JSON text. Shared by the HTTP threads of
// one mixer, hence the lock.
class MixerData
{
public:
    // The mixer's factory state for its model.
    explicit MixerData(const std::string &model);

    std::optional<std::string> text(int target, int bank) const;
    // False for a slot the mixer does not have.
    bool setText(int target, int bank, std::string text);
    void reset();

private:
    std::string m_model;
    mutable std::mutex m_mutex;
    std::map<int, std::vector<std::string>> m_sets;
};

} // namespace velmora::sim
