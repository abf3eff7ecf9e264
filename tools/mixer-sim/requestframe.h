#pragma once

#include <string>
#include <vector>

namespace velmora::sim {

// The rcode of a CGI request whose query is not exactly what the page expects.
constexpr int kBadFrame = 8;

// Checks a raw query against the names the page expects, in that order: each exactly once,
// values canonical decimal numbers ("0", "17"; not "+7", "007", "%200" or empty). Returns
// what is wrong, or an empty text and the values in `numbers`.
std::string checkQuery(const std::string &query, const std::vector<std::string> &names,
                       std::vector<long long> &numbers);

struct FormPart
{
    std::string name;
    std::string fileName;
    std::string contentType;
    std::string data;
};

// Splits a multipart/form-data body by the boundary its content type names. False when the
// body is not such a form.
bool parseForm(const std::string &contentType, const std::string &body,
               std::vector<FormPart> &parts);

} // namespace velmora::sim
