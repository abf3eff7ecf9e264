#include "device/qovcurlrequest.h"

#include "ovlib/curloptions.h"

#include <QDebug>
#include <QThread>

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

// Raised by abortInFlight(); a request started before the raise ends at its next progress
// call, one started after runs as usual.
std::atomic<quint64> abortGeneration{0};

struct Received
{
    quint64 generation = abortGeneration.load();
    QByteArray body;
    qint64 maxBytes = 0;
    bool overLimit = false;
};

size_t collect(char *data, size_t size, size_t count, void *userData)
{
    auto *received = static_cast<Received *>(userData);
    const qint64 bytes = qint64(size * count);
    if (received->body.size() + bytes > received->maxBytes) {
        received->overLimit = true;
        return 0; // libcurl ends the transfer with a write error
    }
    received->body.append(data, int(bytes));
    return size * count;
}

int onProgress(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto *received = static_cast<const Received *>(userData);
    return received->generation != abortGeneration.load() ? 1 : 0; // 1 ends the transfer
}

struct EasyDeleter
{
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
struct MimeDeleter
{
    void operator()(curl_mime *mime) const { curl_mime_free(mime); }
};

QByteArray perform(CURL *handle, const QUrl &url, const QovRequestLimits &limits)
{
    const QByteArray target = url.toEncoded();
    if (url.host().isEmpty()) {
        // A device without an address; libcurl would take the path for a host name.
        qDebug() << QThread::currentThreadId() << "http request failed:" << target << "no address";
        return {};
    }
    const int deadlineMs = limits.deadlineMs > 0 ? limits.deadlineMs : 10000;
    Received received;
    received.maxBytes = limits.maxBytes;
    char error[CURL_ERROR_SIZE] = {};

    ovlib::CurlOptions options;
    options.url = target.constData();
    options.deadlineMs = deadlineMs;
    options.stallSeconds = QovCurlRequest::stallSeconds(deadlineMs);
    options.maxBodyBytes = curl_off_t(limits.maxBytes);
    options.onBody = collect;
    options.bodySink = &received;
    options.errorText = error;
    ovlib::applyCurlOptions(handle, options);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    // Mixers speak IPv4: a host name given for one is looked up as IPv4 only.
    curl_easy_setopt(handle, CURLOPT_IPRESOLVE, CURL_IPRESOLVE_V4);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &received);
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Velmora");

    const CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    QByteArray cause;
    if (received.overLimit || code == CURLE_FILESIZE_EXCEEDED) {
        cause = "reply larger than " + QByteArray::number(limits.maxBytes) + " bytes";
    } else if (code != CURLE_OK) {
        cause = *error ? QByteArray(error) : QByteArray(curl_easy_strerror(code));
    } else if (status < 200 || status > 299) {
        cause = "HTTP status " + QByteArray::number(int(status));
    } else {
        return received.body;
    }
    qDebug() << QThread::currentThreadId() << "http request failed:" << target << cause;
    return {};
}

} // namespace

void QovCurlRequest::abortInFlight()
{
    ++abortGeneration;
}

long QovCurlRequest::stallSeconds(int deadlineMs)
{
    // A mixer may think before it answers for as long as the user's setting allows: a fixed
    // cap below it failed slow mixers that a longer setting was meant to wait for. Whole
    // seconds, as libcurl measures, rounded up so the stall never ends before the deadline.
    return std::max(1L, (long(deadlineMs) + 999) / 1000);
}

QByteArray QovCurlRequest::get(const QUrl &url, const QovRequestLimits &limits)
{
    ovlib::initialiseCurl();
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        return {};
    }
    return perform(handle.get(), url, limits);
}

QByteArray QovCurlRequest::postForm(const QUrl &url, const QList<QovFormPart> &parts,
                                    const QovRequestLimits &limits)
{
    ovlib::initialiseCurl();
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        return {};
    }
    std::unique_ptr<curl_mime, MimeDeleter> form(curl_mime_init(handle.get()));
    for (const QovFormPart &part : parts) {
        curl_mimepart *added = curl_mime_addpart(form.get());
        curl_mime_name(added, part.name.constData());
        curl_mime_filename(added, part.fileName.constData());
        curl_mime_type(added, part.contentType.constData());
        curl_mime_data(added, part.data.constData(), size_t(part.data.size()));
    }
    curl_easy_setopt(handle.get(), CURLOPT_MIMEPOST, form.get());
    // A mixer's web server may not know "Expect: 100-continue"; waiting for its answer would
    // cost a second per chunk.
    std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, "Expect:"));
    curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());
    return perform(handle.get(), url, limits);
}
