#pragma once

#include "simhttpserver.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora::sim {

// A data set and bank, as the CGI query names them.
struct DataSlot
{
    int target = 0;
    int bank = 0;
    bool operator==(const DataSlot &other) const
    {
        return target == other.target && bank == other.bank;
    }
};

// A wire fault for one endpoint: the page name ("fileupload.cgi"), "file" for the data-set
// files, "description.xml"; on its `nth` request counted from when the faults were set
// (1 = the first), or on every request when `nth` is 0.
struct RequestFault
{
    std::string endpoint;
    int nth = 0;
    WireFault wire;
};

// Misbehaviour a simulated mixer shows on demand. All off by default; tests switch them while
// the simulator runs.
struct MixerFaults
{
    // filedownload.cgi for this slot answers rcode 0.
    std::optional<DataSlot> failDownload;
    // fileupload.cgi for a transfer opened on this slot answers rcode 0.
    std::optional<DataSlot> failUpload;
    // Non-zero: every CGI reply is just {"rcode": this} (7 = firmware update in progress).
    int rcode = 0;
    // Every reply, files included, waits this long first.
    int delayMs = 0;
    // Connections are accepted and never answered.
    bool silent = false;
    // The HTTP port is closed, so connections are refused (the rest of the mixer stays up).
    bool refuse = false;
    // Every CGI reply is replaced by these exact bytes (an empty text gives an empty body).
    std::optional<std::string> body;
    // Every reply, files included, is a body of bytes that is not JSON.
    bool garbage = false;
    // How single replies go wrong on the wire.
    std::vector<RequestFault> requests;
};

// The endpoint name of a request path, as RequestFault names it.
std::string endpointOf(const std::string &path);

// Reads faults from a JSON object text; absent members stay off. Returns an error text,
// empty on success, and leaves `faults` untouched on failure.
std::string faultsFromJson(const std::string &json, MixerFaults &faults);
std::string faultsToJson(const MixerFaults &faults);

} // namespace velmora::sim
