#include "simoptions.h"

#include <cstdlib>
#include <cstring>

namespace velmora::sim {

namespace {

bool readNumber(const char *text, int &value)
{
    char *end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || number < 0 || number > 65535) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

} // namespace

std::string parseOptions(int argc, char **argv, SimOptions &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option != "--config" && option != "--control-port" && option != "--mixers") {
            return "unknown option " + option;
        }
        if (i + 1 >= argc) {
            return option + " needs a value";
        }
        const char *value = argv[++i];
        if (option == "--config") {
            options.configFile = value;
        } else if (!readNumber(value,
                               option == "--mixers" ? options.generate : options.controlPort)) {
            return option + " needs a number from 0 to 65535";
        }
    }
    return {};
}

const char *helpText()
{
    return R"(usage: velmora-mixer-sim [--config FILE] [--mixers N] [--control-port PORT]

Plays ZEPH-2208 and ZEPH-2208NET mixers on the loopback network: each mixer answers
HTTP on its own address 127.0.0.N port 80 with the CGI pages under /cgi-bin/appcmd/
(gdeviceinfo, zephidentify, keepalive, filedownload, beginupload, fileupload,
endupload), its data sets under /file/ and its UPnP description at
/description.xml. Each mixer answers SSDP M-SEARCH for its device type on
239.255.255.250:1900, announces itself with NOTIFY ssdp:alive when it starts and
ssdp:byebye when it stops, and takes commands on TCP port 17300 of its address.
Run it inside scripts/sandbox.

  --config FILE        JSON configuration: the control address and the mixers with
                       address, model, name, mac, deviceId, headerColor, serial, udn,
                       link (none, primary, extension), linkedUnits, ovlinkMode,
                       password, running, ssdp (false: reachable only by its
                       address) and faults. See docs/mixer-sim.md.
  --mixers N           adds N generated mixers from 127.0.0.2 upward on free addresses,
                       models alternating.
  --control-port PORT  port of the control interface on 127.0.0.1 (default 7700 or the
                       configuration's); 0 picks a free port.
  --help               shows this text.

Once every mixer listens it prints "control: ADDRESS:PORT", one "mixer: ..." line
per mixer and "ready". The control interface (HTTP, JSON) starts and stops mixers,
switches faults (failDownload, failUpload, rcode, delayMs, silent, refuse, body,
garbage), lists the requests a mixer received and reads or sets its data sets:

  GET    /mixers                        the mixers and whether they run
  POST   /mixers/ADDRESS/start | stop   switches one mixer on or off
  POST   /mixers/ADDRESS/move           moves it to {"address":"127.0.0.N"}
  GET    /mixers/ADDRESS/faults         the faults in force
  PUT    /mixers/ADDRESS/faults         replaces them with the JSON object sent
  GET    /mixers/ADDRESS/requests       "METHOD target" of every request received
  DELETE /mixers/ADDRESS/requests       forgets them
  GET    /mixers/ADDRESS/data/T/B       the text of data set T, bank B
  PUT    /mixers/ADDRESS/data/T/B       sets it to the body, as it stands
  POST   /mixers/ADDRESS/reset          factory data, no faults, empty request list

SIGINT or SIGTERM stops every mixer and ends the simulator.
)";
}

} // namespace velmora::sim
