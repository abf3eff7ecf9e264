#include "device/qovkeepalivethread.h"

#include "device/qovcgiapifactory.h"
#include "device/qovwatchedproject.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovworkerpool.h"
#include "ovlib/addressprobe.h"
#include "ovlib/ipendpoint.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QFutureWatcher>
#include <QMetaEnum>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QtConcurrent>

#include <future>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Threads retired but still in a pass; guarded by retiredLock.
QMutex retiredLock;
QSet<QovKeepAliveThread *> retiredThreads;

struct SentRequest
{
    QovAppDeviceModel device;
    // The connection the request checks; a reply marks no other.
    quint64 connection;
    // Kept until the replies are in: an operation may use its API object until its future is
    // ready.
    std::unique_ptr<QovCgiApi> api;
    std::future<bool> reply;
    // Asked beside the keep-alive when the device's MAC is known: a keep-alive answers for
    // whatever holds the address, and after a DHCP server gave it to another mixer that one
    // would keep the entry connected. Invalid when not asked.
    std::future<QovCgiApi::DeviceInfo> identity;
};

// A MISSING device's mixer asked at the address it had, and at the address it was added by (a
// host name may now resolve elsewhere); a DHCP server may since have given either to another
// mixer, so only an answer with the device's MAC counts.
struct AskedAgain
{
    QovAppDeviceModel device;
    QString address;
    std::unique_ptr<QovCgiApi> api;
    std::future<QovCgiApi::DeviceInfo> reply;
};

void askAgain(const QovAppDeviceModel &device, std::vector<AskedAgain> &asked)
{
    if (device->macAddress().isEmpty()) {
        return;
    }
    QStringList addresses;
    if (!device->ipAddress().isEmpty()) {
        addresses.append(device->ipAddress());
    }
    const QString added = device->addedAddress();
    if (!added.isEmpty()) {
        std::string error;
        if (const auto resolved = ovlib::resolveIPv4(added.toStdString(), error)) {
            const QString dotted =
                QString::fromStdString(ovlib::IPEndPoint(*resolved, 0).addressText());
            if (!addresses.contains(dotted)) {
                addresses.append(dotted);
            }
        } else {
            qDebug() << QThread::currentThreadId() << "ask again:" << error.c_str();
        }
    }
    for (const QString &address : std::as_const(addresses)) {
        std::unique_ptr<QovCgiApi> api(createCgiApi(device));
        if (!api) {
            return;
        }
        auto there = std::make_shared<QovOnlineDeviceModelInternal>(device);
        there->setIpAddress(address);
        auto reply = api->getDeviceInfo(there);
        asked.push_back(AskedAgain{device, address, std::move(api), std::move(reply)});
    }
}

QString statusKey(QovAppDeviceModelInternal::Status status)
{
    return QString::fromLatin1(
        QMetaEnum::fromType<QovAppDeviceModelInternal::Status>().valueToKey(status));
}

bool replyOf(std::future<bool> &reply)
{
    try {
        return reply.get();
    } catch (const std::exception &error) {
        qDebug() << QThread::currentThreadId() << "keepalive failed:" << error.what();
        return false;
    }
}

// Only a mixer that says it has another MAC is another mixer: an identity request that fails
// while the keep-alive succeeds tells nothing, and is not held against the device.
bool answeredAsAnother(SentRequest &request)
{
    if (!request.identity.valid()) {
        return false;
    }
    QovCgiApi::DeviceInfo info;
    try {
        info = request.identity.get();
    } catch (const std::exception &error) {
        qDebug() << QThread::currentThreadId() << "identity failed:" << error.what();
        return false;
    }
    if (!info.error.isEmpty() || info.macAddress.isEmpty()) {
        return false;
    }
    return info.macAddress.compare(request.device->macAddress(), Qt::CaseInsensitive) != 0;
}

// Status writes go through the device's own thread, where the views and the window's
// completion handlers write it too, so writes from overlapping passes and connection flows
// never run at the same time. The write is a compare-and-set made at that moment: a device
// that a connection flow disconnected or reconnected while the request was out, or before the
// mark arrived, is not marked by a reply to the old connection.
void markMissing(const QovAppDeviceModel &device, quint64 connection)
{
    QMetaObject::invokeMethod(
        device.get(),
        [device, connection] {
            if (device->status() == QovAppDeviceModelInternal::CONNECTED &&
                device->connection() == connection) {
                qDebug() << QThread::currentThreadId() << "MISSING!" << device->debugText();
                device->setStatus(QovAppDeviceModelInternal::MISSING);
            }
        },
        Qt::AutoConnection);
}

} // namespace

QovKeepAliveThread::QovKeepAliveThread(std::shared_ptr<const QovWatchedProject> project,
                                       QObject *parent)
    : QThread(parent)
    , m_project(std::move(project))
{
}

QovKeepAliveThread::~QovKeepAliveThread()
{
    quit();
    wait();
    QMutexLocker lock(&retiredLock);
    retiredThreads.remove(this);
}

void QovKeepAliveThread::retire()
{
    setParent(nullptr);
    {
        QMutexLocker lock(&retiredLock);
        retiredThreads.insert(this);
    }
    // Queued to this object's thread: the object is deleted where it lives, after run() ended.
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    quit();
    if (isFinished()) {
        deleteLater();
    }
}

bool QovKeepAliveThread::waitForRetired(int timeoutMs)
{
    QList<QovKeepAliveThread *> threads;
    {
        QMutexLocker lock(&retiredLock);
        threads = retiredThreads.values();
    }
    // Only the owner's thread deletes retired threads, and it is here: none goes meanwhile.
    const QDeadlineTimer deadline(timeoutMs);
    bool all = true;
    for (QovKeepAliveThread *thread : std::as_const(threads)) {
        all = thread->wait(deadline) && all;
    }
    return all;
}

void QovKeepAliveThread::run()
{
    qDebug() << QThread::currentThreadId() << this << "run start";
    const quint32 intervalSeconds = QovProgramSettingsModel().keepAliveInterval();
    QTimer timer;
    timer.setInterval(static_cast<int>(intervalSeconds * 1000));
    // Direct: every timed pass runs on this thread, not on the thread that owns this object.
    connect(&timer, &QTimer::timeout, this, &QovKeepAliveThread::keepAliveInternal,
            Qt::DirectConnection);
    timer.start();
    exec();
    timer.stop();
    qDebug() << QThread::currentThreadId() << this << "run end";
}

void QovKeepAliveThread::keepAliveInternal()
{
    const QVector<QovAppDeviceModel> answering = keepAlivePass(*m_project, this);
    if (!answering.isEmpty()) {
        Q_EMIT mixersAnswering(answering);
    }
}

void QovKeepAliveThread::requestKeepAlive()
{
    // The pass holds its own share of the watched project: it may outlive this object.
    std::shared_ptr<const QovWatchedProject> project = m_project;
    const void *owner = this;
    auto *watcher = new QFutureWatcher<void>();
    connect(watcher, &QFutureWatcher<void>::finished, watcher, &QObject::deleteLater);
    watcher->setFuture(
        QtConcurrent::run(qovWorkerPool(), [project, owner] { keepAlivePass(*project, owner); }));
}

QVector<QovAppDeviceModel> QovKeepAliveThread::keepAlivePass(const QovWatchedProject &project,
                                                             const void *owner)
{
    const QovWatchedProject::Snapshot current = project.snapshot();
    qDebug() << QThread::currentThreadId() << owner << "keep alive!!!" << current.projectName
             << current.devices.size();

    std::vector<SentRequest> sent;
    std::vector<AskedAgain> asked;
    for (const QovAppDeviceModel &device : current.devices) {
        const QovAppDeviceModelInternal::Status status = device->status();
        if (status == QovAppDeviceModelInternal::MISSING) {
            askAgain(device, asked);
            continue;
        }
        if (status != QovAppDeviceModelInternal::CONNECTED) {
            continue;
        }
        qDebug() << QThread::currentThreadId() << device->debugText() << statusKey(status);
        std::unique_ptr<QovCgiApi> api(createCgiApi(device));
        if (!api) {
            qDebug() << QThread::currentThreadId() << "CGI API not found" << device->debugText();
            continue;
        }
        qDebug() << QThread::currentThreadId() << "keepalive send" << device->debugText();
        const quint64 connection = device->connection();
        std::future<bool> reply = api->keepAlive(device);
        std::future<QovCgiApi::DeviceInfo> identity;
        if (!device->macAddress().isEmpty()) {
            identity = api->getDeviceInfo(std::make_shared<QovOnlineDeviceModelInternal>(device));
        }
        sent.push_back(
            SentRequest{device, connection, std::move(api), std::move(reply), std::move(identity)});
    }

    for (SentRequest &request : sent) {
        const bool alive = replyOf(request.reply);
        qDebug() << QThread::currentThreadId() << "keepalive recv" << request.device->debugText()
                 << alive;
        if (answeredAsAnother(request)) {
            qDebug() << QThread::currentThreadId() << "another mixer answers for"
                     << request.device->debugText();
            markMissing(request.device, request.connection);
        } else if (!alive) {
            markMissing(request.device, request.connection);
        }
    }
    QVector<QovAppDeviceModel> answering;
    for (AskedAgain &request : asked) {
        QovCgiApi::DeviceInfo info;
        try {
            info = request.reply.get();
        } catch (const std::exception &error) {
            qDebug() << QThread::currentThreadId() << "ask again failed:" << error.what();
            continue;
        }
        if (info.error.isEmpty() && !answering.contains(request.device) &&
            info.macAddress.compare(request.device->macAddress(), Qt::CaseInsensitive) == 0) {
            qDebug() << QThread::currentThreadId() << "answers again" << request.device->debugText()
                     << "at" << request.address;
            // The entry follows its mixer: reconnect and the next passes use the new address.
            request.device->setIpAddress(request.address);
            answering.append(request.device);
        }
    }
    return answering;
}
