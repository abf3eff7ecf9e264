#include "ovlib/httpfetch.h"

#include "ovlib/curloptions.h"

#include <memory>

namespace ovlib::internal {

namespace {

constexpr size_t MaxHeaderBytes = 16 * 1024;

struct Sink
{
    std::string body;
    size_t maxBody = 0;
    size_t headerBytes = 0;
    bool tooLarge = false;
};

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<Sink *>(user);
    const size_t bytes = size * count;
    if (sink->body.size() + bytes > sink->maxBody) {
        sink->tooLarge = true;
        return 0; // aborts the transfer
    }
    sink->body.append(data, bytes);
    return bytes;
}

size_t onHeader(char *, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<Sink *>(user);
    const size_t bytes = size * count;
    sink->headerBytes += bytes;
    return sink->headerBytes > MaxHeaderBytes ? 0 : bytes;
}

} // namespace

FetchResult httpGet(const std::array<uint8_t, 4> &address, uint16_t port, const std::string &path,
                    size_t maxBody, int timeoutMs)
{
    initialiseCurl();
    FetchResult result;
    std::unique_ptr<CURL, void (*)(CURL *)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        result.error = "cannot create a transfer";
        return result;
    }
    const std::string url = "http://" + std::to_string(address[0]) + '.' +
                            std::to_string(address[1]) + '.' + std::to_string(address[2]) + '.' +
                            std::to_string(address[3]) + ':' + std::to_string(port) + path;
    Sink sink;
    sink.maxBody = maxBody;
    CURL *h = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    CurlOptions options;
    options.url = url.c_str();
    options.deadlineMs = timeoutMs;
    options.stallSeconds = StallSeconds;
    options.maxBodyBytes = static_cast<curl_off_t>(maxBody);
    options.onBody = onBody;
    options.bodySink = &sink;
    options.errorText = errorText;
    applyCurlOptions(h, options);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &sink);
    const CURLcode rc = curl_easy_perform(h);
    if (sink.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        result.error = "oversized response";
        return result;
    }
    if (rc != CURLE_OK) {
        result.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(rc);
        return result;
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        result.error = "HTTP status " + std::to_string(status);
        return result;
    }
    result.ok = true;
    result.body = std::move(sink.body);
    return result;
}

} // namespace ovlib::internal
