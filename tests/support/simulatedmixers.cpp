#include "simulatedmixers.h"

#include "privatenetwork.h"

QString startSimulatedMixers(const QByteArray &settings, const QByteArray &config,
                             std::unique_ptr<TempProfile> *profile,
                             std::unique_ptr<MixerSimProcess> *sim)
{
    velmora::test::requirePrivateNetwork();
    // Settings first: the program's request functions read them once, at their first use.
    *profile = std::make_unique<TempProfile>();
    (*profile)->writeProgramSettings(settings);
    *sim = std::make_unique<MixerSimProcess>(config);
    return (*sim)->problem();
}
