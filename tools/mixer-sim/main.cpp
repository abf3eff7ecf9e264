#include "controlserver.h"
#include "simconfig.h"
#include "simmixer.h"
#include "simoptions.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace velmora::sim;

namespace {

bool loadConfig(const SimOptions &options, SimConfig &config)
{
    if (!options.configFile.empty()) {
        std::ifstream file(options.configFile, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        if (!file) {
            std::cerr << "velmora-mixer-sim: cannot read " << options.configFile << '\n';
            return false;
        }
        const std::string error = readConfig(text.str(), config);
        if (!error.empty()) {
            std::cerr << "velmora-mixer-sim: " << options.configFile << ": " << error << '\n';
            return false;
        }
    }
    if (options.generate > 0) {
        SimConfig generated;
        readConfig("{\"generate\":" + std::to_string(options.generate) + '}', generated);
        for (MixerEntry &entry : generated.mixers) {
            bool taken = false;
            for (const MixerEntry &existing : config.mixers) {
                taken = taken || existing.profile.address == entry.profile.address;
            }
            if (!taken) {
                config.mixers.push_back(std::move(entry));
            }
        }
    }
    if (options.controlPort >= 0) {
        config.controlPort = options.controlPort;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    SimOptions options;
    const std::string error = parseOptions(argc, argv, options);
    if (!error.empty() || options.help) {
        (error.empty() ? std::cout : std::cerr)
            << (error.empty() ? "" : "velmora-mixer-sim: " + error + "\n\n") << helpText();
        return error.empty() ? 0 : 2;
    }
    SimConfig config;
    if (!loadConfig(options, config)) {
        return 1;
    }

    // Every thread started from here on inherits the blocked signals; main collects them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A client that closes early must not kill the simulator.
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<std::unique_ptr<SimMixer>> mixers;
    for (const MixerEntry &entry : config.mixers) {
        auto mixer = std::make_unique<SimMixer>(entry.profile);
        for (auto &extension : makeMixerExtensions(entry.profile)) {
            mixer->addExtension(std::move(extension));
        }
        mixer->setFaults(entry.faults);
        if (entry.startOn && !mixer->start()) {
            std::cerr << "velmora-mixer-sim: cannot listen on " << entry.profile.address << ':'
                      << entry.profile.httpPort << " (inside scripts/sandbox?)\n";
            return 1;
        }
        mixers.push_back(std::move(mixer));
    }
    ControlServer control(mixers);
    const int port = control.start(config.controlAddress, config.controlPort);
    if (port < 0) {
        std::cerr << "velmora-mixer-sim: cannot listen on " << config.controlAddress << ':'
                  << config.controlPort << '\n';
        return 1;
    }
    std::cout << "control: " << config.controlAddress << ':' << port << '\n';
    for (const auto &mixer : mixers) {
        const MixerProfile &profile = mixer->profile();
        // Through its lock: the control server already runs and may move the mixer.
        std::cout << "mixer: " << mixer->address() << ' ' << profile.model << " \"" << profile.name
                  << "\" " << (mixer->isRunning() ? "on" : "off") << '\n';
    }
    std::cout << "ready" << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    control.stop();
    for (auto &mixer : mixers) {
        mixer->stop();
    }
    return 0;
}
