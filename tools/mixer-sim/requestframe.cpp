#include "requestframe.h"

#include <algorithm>
#include <cctype>

namespace velmora::sim {

namespace {

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        pieces.push_back(text.substr(start, at - start));
        if (at == std::string::npos) {
            return pieces;
        }
        start = at + 1;
    }
}

std::string trim(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool canonicalNumber(const std::string &text)
{
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    return text == "0" || text[0] != '0';
}

// `key=value` parameters after the first ';' of a header value, quotes removed.
std::string parameter(const std::string &headerValue, const std::string &key)
{
    const std::vector<std::string> pieces = split(headerValue, ';');
    for (size_t i = 1; i < pieces.size(); ++i) {
        const std::string piece = trim(pieces[i]);
        const size_t equals = piece.find('=');
        if (equals != std::string::npos && lower(trim(piece.substr(0, equals))) == key) {
            std::string value = trim(piece.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            return value;
        }
    }
    return {};
}

} // namespace

std::string checkQuery(const std::string &query, const std::vector<std::string> &names,
                       std::vector<long long> &numbers)
{
    numbers.clear();
    if (names.empty()) {
        return query.empty() ? std::string() : "this page takes no query";
    }
    const std::vector<std::string> items = split(query, '&');
    for (size_t i = 0; i < items.size(); ++i) {
        const size_t equals = items[i].find('=');
        const std::string name = items[i].substr(0, equals);
        if (i >= names.size()) {
            return "unexpected " + name;
        }
        if (name != names[i]) {
            return "expected " + names[i] + " as item " + std::to_string(i + 1) + ", got " + name;
        }
        const std::string value = equals == std::string::npos ? "" : items[i].substr(equals + 1);
        if (!canonicalNumber(value)) {
            return name + " is not a plain decimal number: \"" + value + '"';
        }
        numbers.push_back(std::stoll(value));
    }
    if (items.size() < names.size()) {
        return "missing " + names[items.size()];
    }
    return {};
}

bool parseForm(const std::string &contentType, const std::string &body,
               std::vector<FormPart> &parts)
{
    parts.clear();
    if (lower(trim(split(contentType, ';')[0])) != "multipart/form-data") {
        return false;
    }
    const std::string boundary = parameter(contentType, "boundary");
    if (boundary.empty()) {
        return false;
    }
    const std::string delimiter = "--" + boundary;
    if (body.compare(0, delimiter.size() + 2, delimiter + "\r\n") != 0) {
        return false;
    }
    size_t at = delimiter.size() + 2;
    for (;;) {
        const size_t headEnd = body.find("\r\n\r\n", at);
        if (headEnd == std::string::npos) {
            return false;
        }
        FormPart part;
        size_t line = at;
        while (line < headEnd) {
            size_t end = body.find("\r\n", line);
            const std::string header = body.substr(line, end - line);
            line = end + 2;
            const size_t colon = header.find(':');
            if (colon == std::string::npos) {
                return false;
            }
            const std::string name = lower(trim(header.substr(0, colon)));
            const std::string value = trim(header.substr(colon + 1));
            if (name == "content-disposition") {
                part.name = parameter(value, "name");
                part.fileName = parameter(value, "filename");
            } else if (name == "content-type") {
                part.contentType = value;
            }
        }
        const size_t dataStart = headEnd + 4;
        const size_t next = body.find("\r\n" + delimiter, dataStart);
        if (next == std::string::npos) {
            return false;
        }
        part.data = body.substr(dataStart, next - dataStart);
        parts.push_back(std::move(part));
        at = next + 2 + delimiter.size();
        if (body.compare(at, 2, "--") == 0) {
            return true;
        }
        if (body.compare(at, 2, "\r\n") != 0) {
            return false;
        }
        at += 2;
    }
}

} // namespace velmora::sim
