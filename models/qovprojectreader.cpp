// Reading project files: every field is checked and the first bad one is named.
#include "models/qovprojectreader.h"

#include "models/qovautosaver.h"
#include "models/qovdevicefields.h"
#include "models/qovjsonscan.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextdecoding.h"
#include "models/qovtextrules.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace {
using Result = std::tuple<QovProjectDataModel *, QString>;

using QovDeviceFields::integerIn;
using QovDeviceFields::trimmedText;
using QovTextRules::isPlainText;

QString deviceError(int index, const QString &key)
{
    return QStringLiteral("device[%1].%2").arg(index).arg(key);
}

// The text of the "data" member of a device's text, when its members are the parsed object's
// (none repeated, none named with an escape) and it is standard JSON, as pages and mixers
// take it; else empty.
QByteArray dataText(const QByteArray &device, const QJsonObject &object)
{
    QVector<QovJsonScan::Member> members;
    if (device.isEmpty() || !QovJsonScan::members(device, &members) ||
        members.size() != object.size()) {
        return QByteArray();
    }
    for (const QovJsonScan::Member &member : members) {
        if (member.name == "data") {
            return QovJsonScan::isStrict(member.value) ? member.value : QByteArray();
        }
    }
    return QByteArray();
}

// One entry of "devices" on its way into the project. Entries are read on several threads at
// once, and each one's parsed tree is gone before the next is built: the device keeps its
// mixer data as the text the file holds, not as a tree of seven times its size, which a
// large project spent most of its opening time on.
struct DeviceEntry
{
    int index = 0;
    // The entry's own text when the file was split at its devices; else the parsed entry.
    QByteArray text;
    QJsonObject object;
    bool isJson = true;
    QString error;
    QString name;
    QovDeviceSelector::DeviceType type = QovDeviceSelector::Unknown;
    QString mac;
    int color = 0;
    int id = -1;
    QString address;
    QovZephDataSets data;
};

bool readStructure(const QByteArray &utf8, QJsonObject *root, QVector<DeviceEntry> *entries);
void readEntries(QVector<DeviceEntry> *entries);
void readEntry(DeviceEntry &entry);
QString readHeader(const QJsonObject &root, QovProjectDataModel *model);
QString readDevice(const QJsonObject &object, const QByteArray &data, DeviceEntry *out);
void moveToMainThread(QovProjectDataModel *model);
} // namespace

Result QovProjectReader::parse(const QByteArray &utf8)
{
    QJsonObject root;
    QVector<DeviceEntry> entries;
    if (!readStructure(utf8, &root, &entries)) {
        qDebug() << QThread::currentThreadId() << "not JSON format";
        return Result(nullptr, QString());
    }
    int version = 0;
    if (!integerIn(root.value(QStringLiteral("version")), INT_MIN, INT_MAX, &version) ||
        version != 1) {
        qDebug() << "invalid VLM-Project file version:" << root.value(QStringLiteral("version"));
        return Result(nullptr, QStringLiteral("version"));
    }

    auto model = std::make_unique<QovProjectDataModel>();
    model->m_autosaveSuspended = true;
    QString error = readHeader(root, model.get());
    if (!error.isEmpty()) {
        return Result(nullptr, error);
    }
    const quint32 maxDevices = QovProgramSettingsModel().maxNumberOfProjectDevices();
    const QJsonValue devices = root.value(QStringLiteral("devices"));
    if (!devices.isArray() || static_cast<quint32>(devices.toArray().size()) > maxDevices) {
        return Result(nullptr, QStringLiteral("devices"));
    }
    for (const DeviceEntry &entry : entries) {
        if (!entry.error.isEmpty()) {
            return Result(nullptr, entry.error);
        }
        auto device = std::make_shared<QovAppDeviceModelInternal>(entry.name, entry.type, entry.mac,
                                                                  entry.color, entry.id);
        device->setZephDataSets(entry.data);
        device->setAddedAddress(entry.address);
        model->addDeviceWithin(device, maxDevices);
    }
    model->setIsEdited(false);
    model->m_autosaveSuspended = false;
    moveToMainThread(model.get());
    return Result(model.release(), QString());
}

void QovProjectReader::autosaveInBackground(QovProjectDataModel *model)
{
    model->m_autosaver->writeNow();
}

namespace {

// The root object, and every device entry read into its fields; false when the text is not
// JSON. A project is almost all device data, so the text is split at its devices where it
// can be, and each device is parsed on its own; whether the text is JSON, and what it holds,
// come out as if it were parsed whole. (Only Qt's limit on nesting, at 1024 levels, is
// counted from the device rather than from the file's root.)
bool readStructure(const QByteArray &utf8, QJsonObject *root, QVector<DeviceEntry> *entries)
{
    QovJsonScan::Split split;
    const bool isSplit = QovJsonScan::splitArrayMember(utf8, "devices", &split);
    const QJsonDocument document = QJsonDocument::fromJson(isSplit ? split.skeleton : utf8);
    if (document.isNull()) {
        return false;
    }
    *root = document.object();
    const QJsonArray whole =
        isSplit ? QJsonArray() : root->value(QStringLiteral("devices")).toArray();
    const int count = isSplit ? split.elements.size() : whole.size();
    entries->resize(count);
    for (int i = 0; i < count; ++i) {
        DeviceEntry &entry = (*entries)[i];
        entry.index = i;
        if (isSplit) {
            entry.text = split.elements.at(i);
        } else {
            entry.object = whole.at(i).toObject();
        }
    }
    readEntries(entries);
    return std::all_of(entries->cbegin(), entries->cend(),
                       [](const DeviceEntry &entry) { return entry.isJson; });
}

// On threads of its own rather than the global pool: Qt converts images on the global pool
// and the GUI thread waits for that, so a pool kept busy here would freeze the window.
void readEntries(QVector<DeviceEntry> *entries)
{
    std::atomic<int> next{0};
    const auto work = [entries, &next] {
        for (int i = next++; i < entries->size(); i = next++) {
            readEntry((*entries)[i]);
        }
    };
    const int helpers = std::min(QThread::idealThreadCount(), int(entries->size())) - 1;
    std::vector<std::thread> threads;
    try {
        for (int i = 0; i < helpers; ++i) {
            threads.emplace_back(work);
        }
    } catch (const std::system_error &) {
        // Out of threads: this one reads what the others do not.
    }
    work();
    for (std::thread &thread : threads) {
        thread.join();
    }
}

void readEntry(DeviceEntry &entry)
{
    QJsonObject object = std::move(entry.object);
    QJsonDocument document;
    if (!entry.text.isEmpty()) {
        document = QJsonDocument::fromJson(entry.text);
        if (!document.isObject()) {
            entry.isJson = false;
            return;
        }
        object = document.object();
    }
    entry.error = readDevice(object, dataText(entry.text, object), &entry);
    entry.text.clear();
}

QString readHeader(const QJsonObject &root, QovProjectDataModel *model)
{
    struct Field
    {
        const char *key;
        int maxLength;
        void (QovProjectDataModel::*set)(const QString &);
    };
    static const Field fields[] = {
        {"title", QovTextRules::titleLength, &QovProjectDataModel::setProjectName},
        {"author", QovTextRules::authorLength, &QovProjectDataModel::setProjectAuthor},
        {"dealer", QovTextRules::dealerLength, &QovProjectDataModel::setProjectDealer},
        {"comment", QovTextRules::commentLength, &QovProjectDataModel::setProjectDescription},
    };
    for (const Field &field : fields) {
        const QString key = QString::fromLatin1(field.key);
        QString text;
        if (!trimmedText(root.value(key), field.maxLength, &text) || !isPlainText(text)) {
            return key;
        }
        (model->*field.set)(text);
    }
    return QString();
}

// `data`: the text of the device's "data" member, or empty.
QString readDevice(const QJsonObject &object, const QByteArray &data, DeviceEntry *out)
{
    const int index = out->index;
    QString name;
    if (!QovDeviceFields::readName(object.value(QStringLiteral("name")), &name)) {
        return deviceError(index, QStringLiteral("name"));
    }
    QString model;
    const auto type = trimmedText(object.value(QStringLiteral("model")), INT_MAX, &model)
                          ? QovDeviceSelector::typeFromModelName(model)
                          : QovDeviceSelector::Unknown;
    if (type == QovDeviceSelector::Unknown) {
        return deviceError(index, QStringLiteral("model"));
    }
    QString mac;
    if (!QovDeviceFields::readMacAddress(object.value(QStringLiteral("mac")), &mac)) {
        return deviceError(index, QStringLiteral("mac"));
    }
    int color = 0;
    if (!QovDeviceFields::readHeaderColor(object.value(QStringLiteral("color")), &color)) {
        return deviceError(index, QStringLiteral("color"));
    }
    int id = 0;
    if (!QovDeviceFields::readDeviceId(object.value(QStringLiteral("id")), &id)) {
        return deviceError(index, QStringLiteral("id"));
    }
    // Optional: older files have no address, and a mixer discovery found has none.
    QString address;
    const QJsonValue addressValue = object.value(QStringLiteral("address"));
    if (!addressValue.isUndefined() &&
        (!trimmedText(addressValue, QovTextRules::hostAddressLength, &address) ||
         !QovTextRules::isHostAddress(address))) {
        return deviceError(index, QStringLiteral("address"));
    }
    const QString dataError =
        QovZephDataSets::read(object.value(QStringLiteral("data")).toObject(), data, &out->data);
    if (!dataError.isEmpty()) {
        return deviceError(index, QStringLiteral("data.") + dataError);
    }
    out->name = name;
    out->type = type;
    out->mac = mac;
    out->color = color;
    out->id = id;
    out->address = address;
    return QString();
}

// The loader runs on a worker thread; the program uses the result only in the main thread,
// where queued notifications of the model and its devices must be delivered.
void moveToMainThread(QovProjectDataModel *model)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || app->thread() == QThread::currentThread()) {
        return;
    }
    for (const QovAppDeviceModel &device : model->appDevices()) {
        device->moveToThread(app->thread());
    }
    model->moveToThread(app->thread());
}

} // namespace

std::tuple<QovProjectDataModel *, QString> parseProject(const QString &text)
{
    return QovProjectReader::parse(text.toUtf8());
}

std::tuple<QovProjectDataModel *, QString> parseProjectBytes(const QByteArray &bytes)
{
    const QByteArray text = QovTextDecoding::utf8Text(bytes);
    if (text.isEmpty()) {
        return Result(nullptr, QString());
    }
    return QovProjectReader::parse(text);
}

namespace {
// The "unreadable" member of one device's text, cut out of it where its members can be told
// apart: the device's data is most of the text and need not be parsed for it.
QJsonValue unreadableMember(const QByteArray &device)
{
    QVector<QovJsonScan::Member> members;
    if (QovJsonScan::members(device, &members)) {
        QVector<QByteArray> found;
        for (const QovJsonScan::Member &member : members) {
            if (member.name == "unreadable") {
                found.append(member.value);
            }
        }
        if (found.isEmpty()) {
            return QJsonValue();
        }
        if (found.size() == 1) {
            return QJsonDocument::fromJson("[" + found.first() + "]").array().at(0);
        }
    }
    return QJsonDocument::fromJson(device).object().value(QStringLiteral("unreadable"));
}
} // namespace

QList<QVector<QovDataSlot>> readUnreadableSets(const QByteArray &bytes)
{
    const QByteArray text = QovTextDecoding::utf8Text(bytes);
    QList<QVector<QovDataSlot>> sets;
    QovJsonScan::Split split;
    if (QovJsonScan::splitArrayMember(text, "devices", &split)) {
        for (const QByteArray &device : std::as_const(split.elements)) {
            sets.append(QovProjectSnapshot::unreadableFromJson(unreadableMember(device)));
        }
        return sets;
    }
    const QJsonArray devices =
        QJsonDocument::fromJson(text).object().value(QStringLiteral("devices")).toArray();
    for (const QJsonValue &device : devices) {
        sets.append(QovProjectSnapshot::unreadableFromJson(
            device.toObject().value(QStringLiteral("unreadable"))));
    }
    return sets;
}

QByteArray readProjectFile(const QString &path, QString *problem)
{
    const auto fail = [problem](const QString &why) {
        if (problem) {
            *problem = why;
        }
        return QByteArray();
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return fail(QStringLiteral("not a regular file"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(file.errorString());
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return fail(file.errorString());
    }
    // Read, even when empty: not null.
    return bytes.isNull() ? QByteArray("") : bytes;
}

namespace {
// The project file at `savePath`, its content read from `readPath`; see loadProject.
Result loadFrom(const QString &readPath, const QString &savePath)
{
    // Taken before the bytes are read: a change while they are read shows at the next save.
    QovFileStamp stamp(savePath);
    QString problem;
    const QByteArray bytes = readProjectFile(readPath, &problem);
    if (bytes.isNull()) {
        qDebug() << "cannot read file" << readPath << problem;
    }
    if (bytes.isEmpty()) {
        qDebug() << "load failed (loadFile)" << readPath << "may file is not exist or empty";
        return Result(nullptr, QString());
    }
    Result result = parseProjectBytes(bytes);
    if (QovProjectDataModel *model = std::get<0>(result)) {
        // Restored edits are saved over the file as it is now: the user chose them over it.
        stamp.setContent(readPath == savePath ? bytes : readProjectFile(savePath));
        model->setFileStamp(stamp);
        model->setSavePath(savePath);
        model->setIsEdited(readPath != savePath);
        QovProjectReader::autosaveInBackground(model);
    }
    return result;
}
} // namespace

std::tuple<QovProjectDataModel *, QString> loadProject(const QString &path)
{
    return loadFrom(path, path);
}

std::tuple<QovProjectDataModel *, QString> loadUnsavedChanges(const QString &savePath,
                                                              const QString &copyPath)
{
    return loadFrom(copyPath, savePath);
}
