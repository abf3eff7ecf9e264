#pragma once

#include <string>
#include <vector>

namespace velmora::sim {

// A unit linked to a primary mixer, as the primary reports it.
struct LinkedUnit
{
    int serial = 0;
    int unitNo = 0;
};

enum class LinkRole { None, Primary, Extension };

// Who a simulated mixer is: everything it reports about itself over HTTP, SSDP and the command
// port. Plain C++ so that the network face can use it without Qt.
struct MixerProfile
{
    std::string address = "127.0.0.2";
    std::string model = "ZEPH-2208";
    std::string name;
    // Written as configured: a mixer may report lower case with '-' between the bytes.
    std::string mac;
    int deviceId = 0;
    int headerColor = 0;
    int serial = 0;
    std::string udn;
    LinkRole linkRole = LinkRole::None;
    std::vector<LinkedUnit> linkedUnits;
    // What the mixer reports as ovlink "mode": 0 for an extension unit, 1 otherwise, unless
    // the configuration gives a value of its own.
    int ovlinkMode = 1;
    bool passwordSet = false;
    int httpPort = 80;
    // False: the mixer answers no M-SEARCH and announces nothing; only its address reaches it.
    bool ssdp = true;

    // The last octet of the address, which seeds the generated MAC, serial and UDN.
    int hostNumber() const;
    // Fills name, MAC, serial and UDN where the configuration left them empty.
    void completeDefaults();
};

// The profile of the n-th generated mixer (n from 0): addresses from 127.0.0.2 upward over
// 127.0.1.x and beyond, models alternating, for runs with many mixers.
MixerProfile generatedProfile(int n);

} // namespace velmora::sim
