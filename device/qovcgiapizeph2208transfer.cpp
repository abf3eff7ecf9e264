#include "device/qovcgiapizeph2208.h"

#include "device/qovcgireply.h"
#include "device/qovhttprequests.h"
#include "device/qovmixerlock.h"
#include "device/qovtaskpool.h"
#include "device/qovtransferprogress.h"
#include "models/qovdatasettable.h"
#include "models/qovdevicefields.h"
#include "models/qovtextdecoding.h"

#include <QDebug>
#include <QJsonObject>
#include <QThread>

// The mixer data moves one data set at a time, each as one file: a download asks
// filedownload.cgi for the file's name and fetches it from /file/, an upload opens the
// transfer with beginupload.cgi, posts the bytes in chunks and closes it with endupload.cgi.
//
// Every step and request runs on the operation's own task thread, one after another. Handing
// each to another worker while this thread waits for it bought nothing but a thread wake-up
// per step: 153 of them for a download, which cost more than the requests on a busy machine.

namespace {

constexpr int kChunkSize = 61440;

int bankCount(int code)
{
    return qovDataSetInfo(code)->banks;
}

QUrlQuery slotQuery(int code, int bank)
{
    return QUrlQuery({{QStringLiteral("target"), QString::number(code)},
                      {QStringLiteral("bank"), QString::number(bank)}});
}

// The reply rule with its failure line.
bool accepted(const QByteArray &reply)
{
    if (QovCgiReply::succeeded(reply)) {
        return true;
    }
    qDebug() << QThread::currentThreadId() << "error" << reply;
    return false;
}

// The data sets in transfer order, with the messages of a download and of an upload that fail
// at each.
struct TransferStep
{
    int code;
    const char *getFailure;
};
constexpr TransferStep kSteps[] = {
    {QovDataSetInfo::kPreset, "failed to get preset"},
    {QovDataSetInfo::kEq12Band, "failed to get 12band eq"},
    {QovDataSetInfo::kEq4Band, "failed to get 4band eq"},
    {QovDataSetInfo::kPartialPreset, "failed to get partial preset"},
    {QovDataSetInfo::kCurrent, "failed to get current"},
};

// A record with every data set empty: the record's own defaults are a device's factory data.
QovZephData emptyZephData()
{
    QovZephData data;
    data.preset.clear();
    data.eq12Band.clear();
    data.eq4Band.clear();
    data.partialPreset.clear();
    data.current.clear();
    return data;
}

// What a download yields when another transfer holds the mixer: nothing was asked of it.
QovCgiApi::ZephData busyDownload(const QString &reason)
{
    QovCgiApi::ZephData data = emptyZephData();
    data.error = reason;
    return data;
}

} // namespace

// What a download yields when it cannot even start.
QovCgiApi::ZephData QovCgiApiZeph2208::failedDownload()
{
    ZephData data = emptyZephData();
    data.error = QStringLiteral("failed to get preset");
    return data;
}

QString QovCgiApiZeph2208::downloadZephDataSet(const QovOnlineDeviceModel &device, int code,
                                               int bank, int timeoutMs, QovTransferReport &report,
                                               Text wanted, bool *answered)
{
    const QString ip = device->ipAddress();
    report.startFile(code, bank);
    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::downloadZephData target=" << code
             << ", bank=" << bank << ":" << device->debugText();
    const QByteArray reply =
        httpGet(cgiUrl(ip, QStringLiteral("filedownload.cgi"), slotQuery(code, bank)), timeoutMs);
    // Every failed request gives an empty body; any reply at all shows the mixer is there.
    if (answered) {
        *answered = !reply.isEmpty();
    }
    if (!accepted(reply)) {
        return QString();
    }
    const QJsonValue fileUrl = QovCgiReply::object(reply).value(QStringLiteral("fileurl"));
    // Without a name there is no file to fetch: "/file/" alone is not one.
    if (!fileUrl.isString() || fileUrl.toString().isEmpty()) {
        qDebug() << QThread::currentThreadId() << "error: no fileurl" << reply;
        return QString();
    }
    const QUrl url(QStringLiteral("http://%1/file/%2").arg(ip, fileUrl.toString()));
    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::downloadZephData url=" << url;
    const QByteArray body = httpGet(url, timeoutMs, kDataFileLimit);
    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::downloadZephData target=" << code
             << ", bank=" << bank << ": got" << body.size() << "bytes";
    if (wanted == Text::Exact && !QovTextDecoding::isValidUtf8(body)) {
        qDebug() << QThread::currentThreadId() << "error: not UTF-8" << body.left(64);
        return QString();
    }
    const QString text = QString::fromUtf8(body);
    // A reply without a length that the mixer's close cut short arrives as a complete reply:
    // only its content tells, and a cut data set stored in the project is data lost.
    if (!QovDeviceFields::isDataSetText(text)) {
        if (!body.isEmpty()) {
            qDebug() << QThread::currentThreadId() << "error: not a data set" << body.left(64);
        }
        return QString();
    }
    report.fileDone();
    return text;
}

QStringList QovCgiApiZeph2208::downloadZephDataList(const QovOnlineDeviceModel &device, int code,
                                                    int timeoutMs, QovTransferReport &report)
{
    QStringList texts;
    for (int bank = 0; bank < bankCount(code); ++bank) {
        const QString text = downloadZephDataSet(device, code, bank, timeoutMs, report);
        if (text.isEmpty()) {
            return {};
        }
        texts << text;
    }
    return texts;
}

QovCgiApi::ZephData QovCgiApiZeph2208::downloadAll(const QovOnlineDeviceModel &device,
                                                   QovTransferProgress::Kind kind)
{
    QovTransferReport report(kind, device->deviceName(), device->ipAddress());
    const int timeoutMs = httpTimeoutMs();
    ZephData data = emptyZephData();
    const auto list = [&](int code) {
        return downloadZephDataList(device, code, timeoutMs, report);
    };
    const auto single = [&](int code) {
        return downloadZephDataSet(device, code, 0, timeoutMs, report);
    };
    for (const TransferStep &step : kSteps) {
        bool fetched = false;
        if (bankCount(step.code) > 1) {
            QStringList &banks =
                step.code == QovDataSetInfo::kPreset ? data.preset : data.partialPreset;
            banks = list(step.code);
            fetched = !banks.isEmpty();
        } else {
            QString &text = data.set(step.code, 0);
            text = single(step.code);
            fetched = !text.isEmpty();
        }
        if (!fetched) {
            data.error = QString::fromLatin1(step.getFailure);
            break;
        }
    }
    report.finish(data.error.isEmpty());
    return data;
}

QovCgiApi::ZephData QovCgiApiZeph2208::downloadReadable(const QovOnlineDeviceModel &device,
                                                        QovTransferProgress::Kind kind)
{
    QovTransferReport report(kind, device->deviceName(), device->ipAddress());
    const int timeoutMs = httpTimeoutMs();
    // Starts from "{}" everywhere, which stands in for each set that cannot be read.
    ZephData data;
    int read = 0;
    for (const TransferStep &step : kSteps) {
        for (int bank = 0; bank < bankCount(step.code); ++bank) {
            bool answered = false;
            const QString text = downloadZephDataSet(device, step.code, bank, timeoutMs, report,
                                                     Text::Exact, &answered);
            if (!answered) {
                // A mixer that does not answer is gone, not refusing one set: going on would
                // only wait out the deadline once for every set left.
                data.error = QString::fromLatin1(step.getFailure);
                report.finish(false);
                return data;
            }
            if (text.isEmpty()) {
                qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::downloadZephData"
                         << "target=" << step.code << ", bank=" << bank << ": unreadable";
                data.unreadable.append({step.code, bank});
                continue;
            }
            ++read;
            data.set(step.code, bank) = text;
        }
    }
    if (read == 0) {
        data.error = QStringLiteral("no data set could be read");
    }
    report.finish(data.error.isEmpty() && data.unreadable.isEmpty());
    return data;
}

std::future<QovCgiApi::ZephData>
QovCgiApiZeph2208::startDownload(const QovOnlineDeviceModel &device, Reader read)
{
    return QovTaskPool::run(
        [device, read] {
            const QovMixerLock lock(device);
            return lock.busy().isEmpty() ? read(device, QovTransferProgress::Download)
                                         : busyDownload(lock.busy());
        },
        failedDownload());
}

std::future<QovCgiApi::ZephData>
QovCgiApiZeph2208::downloadReadableZephData(const QovOnlineDeviceModel &device)
{
    return startDownload(device, &downloadReadable);
}

std::future<QovCgiApi::ZephData>
QovCgiApiZeph2208::downloadZephData(const QovOnlineDeviceModel &device)
{
    return startDownload(device, &downloadAll);
}

bool QovCgiApiZeph2208::sendChunks(const QString &ip, const QByteArray &bytes, int timeoutMs,
                                   bool &wrote)
{
    for (int offset = 0; offset < bytes.size(); offset += kChunkSize) {
        const QByteArray chunk = bytes.mid(offset, kChunkSize);
        const QList<QovFormPart> form{{"files[]", "blob", "application/octet-stream", chunk}};
        const QUrlQuery query({{QStringLiteral("offset"), QString::number(offset)},
                               {QStringLiteral("size"), QString::number(chunk.size())}});
        const QUrl url = cgiUrl(ip, QStringLiteral("fileupload.cgi"), query);
        const QByteArray reply = httpPostMultipart(url, form, timeoutMs);
        // A chunk the mixer took, or one it may have taken before it fell silent, has written
        // to it; one it refused has not.
        wrote = wrote || reply.isEmpty() || QovCgiReply::succeeded(reply);
        if (!accepted(reply)) {
            return false;
        }
    }
    return true;
}

bool QovCgiApiZeph2208::uploadZephDataSet(const QovOnlineDeviceModel &device,
                                          const QovAppDeviceModel &source, int code, int bank,
                                          int timeoutMs, QovTransferReport &report, bool &wrote)
{
    const QString ip = device->ipAddress();
    report.startFile(code, bank);
    const QByteArray bytes = source->zephDataSet(code, bank).toUtf8();
    const int chunks = (bytes.size() + kChunkSize - 1) / kChunkSize;
    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::uploadZephData target=" << code
             << ", bank=" << bank << ":" << device->debugText() << "total size=" << bytes.size()
             << "," << chunks;
    const QUrl begin = cgiUrl(ip, QStringLiteral("beginupload.cgi"), slotQuery(code, bank));
    // A failed chunk leaves the transfer open: the mixer is not told to close it.
    const bool sent = accepted(httpGet(begin, timeoutMs)) &&
                      sendChunks(ip, bytes, timeoutMs, wrote) &&
                      accepted(httpGet(cgiUrl(ip, QStringLiteral("endupload.cgi")), timeoutMs));
    if (sent) {
        report.fileDone();
    }
    return sent;
}

QString QovCgiApiZeph2208::incompleteData(const QovAppDeviceModel &source)
{
    for (const QovDataSetInfo &set : qovDataSets()) {
        const QStringList banks = set.code == QovDataSetInfo::kPreset ? source->zephDataPreset()
                                  : set.code == QovDataSetInfo::kPartialPreset
                                      ? source->zephDataPartialPreset()
                                      : QStringList();
        if (set.banks > 1 && banks.size() != set.banks) {
            return QStringLiteral("the project device holds %1 %2 set(s), the mixer has %3")
                .arg(banks.size())
                .arg(QLatin1String(set.noun))
                .arg(set.banks);
        }
        for (int bank = 0; bank < set.banks; ++bank) {
            if (!QovDeviceFields::isDataSetText(source->zephDataSet(set.code, bank))) {
                return QStringLiteral("the project device's %1 is no data set")
                    .arg(qovDataSetSlot(set.code, bank));
            }
        }
    }
    return QString();
}

bool QovCgiApiZeph2208::uploadAll(const QovOnlineDeviceModel &device,
                                  const QovAppDeviceModel &source, bool *wrote, QString *problem)
{
    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::uploadZephData"
             << device->debugText() << source->debugText();
    bool wroteAny = false;
    // The mixer takes data set by set: one that cannot go would leave it holding a mix, so
    // nothing goes unless everything can.
    QString failure = incompleteData(source);
    if (failure.isEmpty()) {
        // Named after the data it carries: the project device whose data goes into the mixer.
        QovTransferReport report(QovTransferProgress::Upload, source->deviceName(),
                                 device->ipAddress());
        const int timeoutMs = httpTimeoutMs();
        for (const QovDataSetInfo &set : qovDataSets()) {
            for (int bank = 0; bank < set.banks && failure.isEmpty(); ++bank) {
                if (!uploadZephDataSet(device, source, set.code, bank, timeoutMs, report,
                                       wroteAny)) {
                    failure = QStringLiteral("the mixer did not take %1")
                                  .arg(qovDataSetSlot(set.code, bank));
                }
            }
        }
        report.finish(failure.isEmpty());
    }
    if (wrote) {
        *wrote = wroteAny;
    }
    if (problem) {
        *problem = failure;
    }
    if (!failure.isEmpty()) {
        qDebug() << QThread::currentThreadId() << "upload failed:" << failure;
        return false;
    }
    return true;
}

std::future<bool> QovCgiApiZeph2208::uploadZephData(const QovOnlineDeviceModel &device,
                                                    const QovAppDeviceModel &source)
{
    return QovTaskPool::run(
        [device, source] {
            const QovMixerLock lock(device);
            return lock.busy().isEmpty() && uploadAll(device, source);
        },
        false);
}
