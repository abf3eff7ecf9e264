#pragma once

#include <string>
#include <vector>

// The baseline: the same request sequences as the program's transfer, made with libcurl, one
// connection per request, no threads. Returns false at the first failed request.
namespace CurlMixerClient {

struct Slot
{
    int target;
    int bank;
};

// The 51 data sets in transfer order.
std::vector<Slot> transferOrder();

bool download(const std::string &ip, std::vector<std::string> &texts);
bool upload(const std::string &ip, const std::vector<std::string> &texts);

} // namespace CurlMixerClient
