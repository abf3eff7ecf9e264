#pragma once

#include <string>

namespace velmora::sim {

// The factory text of one bank of one data set for a model, as compact JSON. The layout is
// described in docs/mixer-data.md; these texts are its reference.
std::string defaultDataSet(const std::string &model, int target, int bank);

} // namespace velmora::sim
