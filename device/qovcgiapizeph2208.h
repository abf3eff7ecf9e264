#pragma once

#include "device/qovcgiapi.h"
#include "device/qovtransferprogress.h"

#include <QUrl>
#include <QUrlQuery>

// The CGI interface of the ZEPH-2208 and the ZEPH-2208NET. Each operation is one task; its
// steps and requests run strictly one after another on that task's thread.
// The object holds no state and its tasks do not refer to it.
// Split over two files: the data transfer is in qovcgiapizeph2208transfer.cpp.
class QovCgiApiZeph2208 : public QovCgiApi
{
    Q_OBJECT

public:
    explicit QovCgiApiZeph2208(QObject *parent = nullptr);

    std::future<bool> connectDevice(bool upload, const QovAppDeviceModel &device,
                                    const QovOnlineDeviceModel &target) override;
    std::future<bool> disconnectDevice(const QovAppDeviceModel &device) override;
    std::future<bool> identify(const QovOnlineDeviceModel &device) override;
    std::future<ZephData> downloadZephData(const QovOnlineDeviceModel &device) override;
    std::future<ZephData> downloadReadableZephData(const QovOnlineDeviceModel &device) override;
    std::future<bool> uploadZephData(const QovOnlineDeviceModel &device,
                                     const QovAppDeviceModel &source) override;
    std::future<DeviceInfo> getDeviceInfo(const QovOnlineDeviceModel &device) override;
    std::future<bool> keepAlive(const QovAppDeviceModel &device) override;
    std::future<ConnectOutcome> connectDeviceWithOutcome(bool upload,
                                                         const QovAppDeviceModel &device,
                                                         const QovOnlineDeviceModel &target,
                                                         bool allowPartialCopy = false,
                                                         bool keepEdits = false) override;

    // "http://<ip>/cgi-bin/appcmd/<page>" with the query items in the order given.
    static QUrl cgiUrl(const QString &ip, const QString &page, const QUrlQuery &query = {});

private:
    // One GET of a CGI page, judged by its rcode.
    static bool simpleRequest(const QString &ip, const QString &page);

    // Why the mixer could not take the project device's data as a whole (a set missing, one
    // too many, one that is no data set); empty when it can.
    static QString incompleteData(const QovAppDeviceModel &source);
    // The whole connection on the calling thread.
    static ConnectOutcome connectNow(bool upload, const QovAppDeviceModel &device,
                                     const QovOnlineDeviceModel &target, bool allowPartialCopy,
                                     bool keepEdits = false);
    // Reads the mixer and keeps what it holds as a safety copy; one that lacks sets the mixer
    // would not give only when `allowPartialCopy` is set.
    static ConnectOutcome keepSafetyCopy(const QovOnlineDeviceModel &target, bool allowPartialCopy);

    // Bytes that are not UTF-8 arrive with replacement characters, unless only the mixer's
    // exact text will do: a copy kept to be written back then counts the set as unreadable.
    enum class Text { Decoded, Exact };
    // `answered` tells whether the mixer replied to the request for the file at all.
    static QString downloadZephDataSet(const QovOnlineDeviceModel &device, int code, int bank,
                                       int timeoutMs, QovTransferReport &report,
                                       Text wanted = Text::Decoded, bool *answered = nullptr);
    static QStringList downloadZephDataList(const QovOnlineDeviceModel &device, int code,
                                            int timeoutMs, QovTransferReport &report);
    static ZephData downloadAll(const QovOnlineDeviceModel &device, QovTransferProgress::Kind kind);
    // Runs a download under the mixer's lock; a mixer another program holds is not asked.
    using Reader = ZephData (*)(const QovOnlineDeviceModel &, QovTransferProgress::Kind);
    static std::future<ZephData> startDownload(const QovOnlineDeviceModel &device, Reader read);
    static ZephData downloadReadable(const QovOnlineDeviceModel &device,
                                     QovTransferProgress::Kind kind);
    static ZephData failedDownload();
    static bool uploadZephDataSet(const QovOnlineDeviceModel &device,
                                  const QovAppDeviceModel &source, int code, int bank,
                                  int timeoutMs, QovTransferReport &report, bool &wrote);
    // `wrote` is set once the mixer may have taken data: from then on a failure leaves it
    // holding partly written data. `problem` says why an upload failed.
    static bool uploadAll(const QovOnlineDeviceModel &device, const QovAppDeviceModel &source,
                          bool *wrote = nullptr, QString *problem = nullptr);
    static bool sendChunks(const QString &ip, const QByteArray &bytes, int timeoutMs, bool &wrote);
};
