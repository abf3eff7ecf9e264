#include "curlmixerclient.h"

#include <curl/curl.h>

namespace CurlMixerClient {

namespace {

constexpr size_t kChunk = 61440;

size_t collect(char *data, size_t size, size_t count, void *into)
{
    static_cast<std::string *>(into)->append(data, size * count);
    return size * count;
}

// One request on a fresh handle, so that no connection is reused. Bare on purpose: the
// baseline is what libcurl costs by itself, so none of our request rules (ovlib/curloptions.h:
// deadline, stall abort, size cap, no proxy) are applied here.
bool request(const std::string &url, std::string &body,
             curl_mime *(*makeForm)(CURL *, const void *) = nullptr, const void *formData = nullptr)
{
    CURL *curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_mime *form = makeForm ? makeForm(curl, formData) : nullptr;
    if (form) {
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
    }
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_mime_free(form);
    curl_easy_cleanup(curl);
    return ok;
}

bool rcodeOk(const std::string &body)
{
    return body.find("\"rcode\":1") != std::string::npos;
}

std::string cgi(const std::string &ip, const std::string &page)
{
    return "http://" + ip + "/cgi-bin/appcmd/" + page;
}

curl_mime *chunkForm(CURL *curl, const void *chunk)
{
    const std::string &bytes = *static_cast<const std::string *>(chunk);
    curl_mime *form = curl_mime_init(curl);
    curl_mimepart *part = curl_mime_addpart(form);
    curl_mime_name(part, "files[]");
    curl_mime_filename(part, "blob");
    curl_mime_type(part, "application/octet-stream");
    curl_mime_data(part, bytes.data(), bytes.size());
    return form;
}

} // namespace

std::vector<Slot> transferOrder()
{
    std::vector<Slot> slots;
    for (int bank = 0; bank < 8; ++bank) {
        slots.push_back({2, bank});
    }
    slots.push_back({3, 0});
    slots.push_back({4, 0});
    for (int bank = 0; bank < 40; ++bank) {
        slots.push_back({6, bank});
    }
    slots.push_back({7, 0});
    return slots;
}

bool download(const std::string &ip, std::vector<std::string> &texts)
{
    texts.clear();
    for (const Slot &slot : transferOrder()) {
        std::string reply;
        const std::string query =
            "?target=" + std::to_string(slot.target) + "&bank=" + std::to_string(slot.bank);
        if (!request(cgi(ip, "filedownload.cgi") + query, reply) || !rcodeOk(reply)) {
            return false;
        }
        // {"fileurl":"...","rcode":1}: the simulator's reply needs no full JSON parser.
        const size_t start = reply.find("\"fileurl\":\"") + 11;
        const std::string fileUrl = reply.substr(start, reply.find('"', start) - start);
        std::string text;
        if (!request("http://" + ip + "/file/" + fileUrl, text) || text.empty()) {
            return false;
        }
        texts.push_back(std::move(text));
    }
    return true;
}

bool upload(const std::string &ip, const std::vector<std::string> &texts)
{
    const std::vector<Slot> slots = transferOrder();
    for (size_t i = 0; i < slots.size(); ++i) {
        std::string reply;
        const std::string query =
            "?target=" + std::to_string(slots[i].target) + "&bank=" + std::to_string(slots[i].bank);
        if (!request(cgi(ip, "beginupload.cgi") + query, reply) || !rcodeOk(reply)) {
            return false;
        }
        for (size_t offset = 0; offset < texts[i].size(); offset += kChunk) {
            const std::string chunk = texts[i].substr(offset, kChunk);
            const std::string chunkQuery =
                "?offset=" + std::to_string(offset) + "&size=" + std::to_string(chunk.size());
            reply.clear();
            if (!request(cgi(ip, "fileupload.cgi") + chunkQuery, reply, chunkForm, &chunk) ||
                !rcodeOk(reply)) {
                return false;
            }
        }
        reply.clear();
        if (!request(cgi(ip, "endupload.cgi"), reply) || !rcodeOk(reply)) {
            return false;
        }
    }
    return true;
}

} // namespace CurlMixerClient
