#include "ovlib/curloptions.h"

#include <mutex>

namespace ovlib {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void applyCurlOptions(CURL *handle, const CurlOptions &options)
{
    curl_easy_setopt(handle, CURLOPT_URL, options.url);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    // Mixers sit on the local network. An empty proxy overrides the environment's, and the
    // no-proxy list covers what libcurl might still take from it.
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, options.deadlineMs);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, options.deadlineMs);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, options.stallSeconds);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, options.maxBodyBytes);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, options.onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, options.bodySink);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, options.errorText);
}

} // namespace ovlib
