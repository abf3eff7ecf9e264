#pragma once

#include <string>

namespace velmora::sim {

struct SimOptions
{
    std::string configFile;
    // -1: as the configuration says.
    int controlPort = -1;
    // Mixers to generate beside the configured ones.
    int generate = 0;
    bool help = false;
};

// Reads the command line; returns an error text, empty on success.
std::string parseOptions(int argc, char **argv, SimOptions &options);
const char *helpText();

} // namespace velmora::sim
