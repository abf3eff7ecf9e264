#pragma once

#include <curl/curl.h>

namespace ovlib {

// The rules every HTTP request of ours keeps, whoever makes it: plain HTTP only, never a
// proxy whatever the environment says, never a redirect, no signals (requests run on worker
// threads), an overall deadline that includes connecting, a stall abort and a cap on the
// body. What differs between callers is carried here; the rest is theirs to add.
struct CurlOptions
{
    const char *url = nullptr;
    // The whole request, connecting included.
    long deadlineMs = 0;
    // Seconds without a single byte moving after which the request gives up.
    long stallSeconds = 1;
    // A body announced as longer fails at once; the write callback must still refuse a body
    // that grows past it unannounced.
    curl_off_t maxBodyBytes = 0;
    curl_write_callback onBody = nullptr;
    void *bodySink = nullptr;
    // CURL_ERROR_SIZE characters, for libcurl's own words on a failure.
    char *errorText = nullptr;
};

// curl_global_init is not thread-safe, and the first request may come from any thread.
void initialiseCurl();

void applyCurlOptions(CURL *handle, const CurlOptions &options);

} // namespace ovlib
