#include "mixerdata.h"

#include "defaultmixerdata.h"

namespace velmora::sim {

int bankCount(int target)
{
    switch (target) {
    case PresetSet:
        return 8;
    case PartialPresetSet:
        return 40;
    case Eq12Set:
    case Eq4Set:
    case CurrentSet:
        return 1;
    default:
        return 0;
    }
}

bool isValidSlot(int target, int bank)
{
    return bank >= 0 && bank < bankCount(target);
}

MixerData::MixerData(const std::string &model)
    : m_model(model)
{
    reset();
}

std::optional<std::string> MixerData::text(int target, int bank) const
{
    if (!isValidSlot(target, bank)) {
        return std::nullopt;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sets.at(target).at(bank);
}

bool MixerData::setText(int target, int bank, std::string text)
{
    if (!isValidSlot(target, bank)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sets[target][bank] = std::move(text);
    return true;
}

void MixerData::reset()
{
    std::map<int, std::vector<std::string>> sets;
    for (int target : {PresetSet, Eq12Set, Eq4Set, PartialPresetSet, CurrentSet}) {
        for (int bank = 0; bank < bankCount(target); ++bank) {
            sets[target].push_back(defaultDataSet(m_model, target, bank));
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sets = std::move(sets);
}

} // namespace velmora::sim
