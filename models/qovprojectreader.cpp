// Reading project files: every field is checked and the first bad one is named.
#include "models/qovautosaver.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextCodec>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {
using Result = std::tuple<QovProjectDataModel *, QString>;

// Characters no stored text may hold: " \ % & / < >.
bool isReserved(QChar c)
{
    switch (c.unicode()) {
    case '"':
    case '\\':
    case '%':
    case '&':
    case '/':
    case '<':
    case '>':
        return true;
    default:
        return false;
    }
}

// Title, author, dealer and comment.
bool isPlainText(const QString &text)
{
    return std::none_of(text.begin(), text.end(), isReserved);
}

// Printable ASCII, not reserved, at least one character.
bool isDeviceName(const QString &text)
{
    const auto unfit = [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() > 0x7e || isReserved(c);
    };
    return !text.isEmpty() && std::none_of(text.begin(), text.end(), unfit);
}

// Six upper-case hexadecimal pairs separated by ':' (after normalisation).
bool isMacAddress(const QString &mac)
{
    if (mac.size() != 17) {
        return false;
    }
    for (int i = 0; i < mac.size(); ++i) {
        const ushort u = mac.at(i).unicode();
        const bool separator = i % 3 == 2;
        const bool hex = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F');
        if (separator ? u != ':' : !hex) {
            return false;
        }
    }
    return true;
}

// A JSON number holding an integer in [low, high]; 2.5 is not a colour.
bool integerIn(const QJsonValue &value, int low, int high, int *out)
{
    if (!value.isDouble()) {
        return false;
    }
    const double d = value.toDouble();
    if (!(d >= low && d <= high) || std::floor(d) != d) {
        return false;
    }
    *out = static_cast<int>(d);
    return true;
}

bool trimmedText(const QJsonValue &value, int maxLength, QString *out)
{
    if (!value.isString()) {
        return false;
    }
    *out = value.toString().trimmed();
    // In UTF-16 units, as the editors' maxLength counts: what loads can be typed again.
    return out->size() <= maxLength;
}

QString deviceError(int index, const QString &key)
{
    return QStringLiteral("device[%1].%2").arg(index).arg(key);
}
} // namespace

// Stores field by field through the model's setters, with autosaving held back.
class QovProjectReader
{
public:
    static Result parse(const QByteArray &utf8);
    // The loader hands the model over before the write ends, so it runs in the background.
    static void autosaveInBackground(QovProjectDataModel *model) { model->m_autosaver->writeNow(); }

private:
    static QString readHeader(const QJsonObject &root, QovProjectDataModel *model);
    static QString readDevice(const QJsonObject &object, int index, QovAppDeviceModel *out);
    static void moveToMainThread(QovProjectDataModel *model);
};

Result QovProjectReader::parse(const QByteArray &utf8)
{
    const QJsonDocument document = QJsonDocument::fromJson(utf8);
    if (document.isNull()) {
        qDebug() << QThread::currentThreadId() << "not JSON format";
        return Result(nullptr, QString());
    }
    const QJsonObject root = document.object();
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
    const QJsonArray list = devices.toArray();
    for (int i = 0; i < list.size(); ++i) {
        QovAppDeviceModel device;
        error = readDevice(list.at(i).toObject(), i, &device);
        if (!error.isEmpty()) {
            return Result(nullptr, error);
        }
        model->addDeviceWithin(device, maxDevices);
    }
    model->setIsEdited(false);
    model->m_autosaveSuspended = false;
    moveToMainThread(model.get());
    return Result(model.release(), QString());
}

QString QovProjectReader::readHeader(const QJsonObject &root, QovProjectDataModel *model)
{
    struct Field
    {
        const char *key;
        int maxLength;
        void (QovProjectDataModel::*set)(const QString &);
    };
    static const Field fields[] = {
        {"title", 30, &QovProjectDataModel::setProjectName},
        {"author", 20, &QovProjectDataModel::setProjectAuthor},
        {"dealer", 30, &QovProjectDataModel::setProjectDealer},
        {"comment", 200, &QovProjectDataModel::setProjectDescription},
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

QString QovProjectReader::readDevice(const QJsonObject &object, int index, QovAppDeviceModel *out)
{
    QString name;
    if (!trimmedText(object.value(QStringLiteral("name")), 30, &name) || !isDeviceName(name)) {
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
    if (!trimmedText(object.value(QStringLiteral("mac")), INT_MAX, &mac)) {
        return deviceError(index, QStringLiteral("mac"));
    }
    mac = mac.toUpper().replace(QLatin1Char('-'), QLatin1Char(':'));
    if (!mac.isEmpty() && !isMacAddress(mac)) {
        return deviceError(index, QStringLiteral("mac"));
    }
    int color = 0;
    if (!integerIn(object.value(QStringLiteral("color")), 0, 6, &color)) {
        return deviceError(index, QStringLiteral("color"));
    }
    int id = 0;
    if (!integerIn(object.value(QStringLiteral("id")), -1, 255, &id)) {
        return deviceError(index, QStringLiteral("id"));
    }
    auto device = std::make_shared<QovAppDeviceModelInternal>(name, type, mac, color, id);
    const QString dataError =
        device->setZephDataJson(object.value(QStringLiteral("data")).toObject());
    if (!dataError.isEmpty()) {
        return deviceError(index, QStringLiteral("data.") + dataError);
    }
    *out = std::move(device);
    return QString();
}

// The loader runs on a worker thread; the program uses the result only in the main thread,
// where queued notifications of the model and its devices must be delivered.
void QovProjectReader::moveToMainThread(QovProjectDataModel *model)
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

namespace {
constexpr quint64 kHighBits = 0x8080808080808080ULL;

// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values beyond
// U+10FFFF), so that it can go to the JSON parser as it is.
bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            // Project files are almost all ASCII: eight bytes at a time while no byte has its
            // high bit set.
            ++p;
            while (end - p >= 8) {
                quint64 eight = 0;
                std::memcpy(&eight, p, 8);
                if (eight & kHighBits) {
                    break;
                }
                p += 8;
            }
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) {
            return false;
        }
        for (int i = 2; i < length; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF) {
                return false;
            }
        }
        p += length;
    }
    return true;
}

// The file's text as UTF-8 for the JSON parser, decoded as a text stream decodes it. Valid
// UTF-8, by far the common case, is passed on without a round trip through UTF-16; anything
// else goes through a text stream itself, so that a byte-order mark, a bad byte, a NUL byte
// or a sequence cut off at the end is taken exactly as the stream takes it.
QByteArray utf8Text(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForMib(106);
    if (QTextCodec::codecForUtfText(bytes, utf8) == utf8) {
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        const QByteArray text = bom ? bytes.mid(3) : bytes;
        if (isValidUtf8(text)) {
            return text;
        }
    }
    QTextStream stream(bytes);
    stream.setCodec(utf8);
    stream.setAutoDetectUnicode(true);
    return stream.readAll().toUtf8();
}
} // namespace

std::tuple<QovProjectDataModel *, QString> parseProject(const QString &text)
{
    return QovProjectReader::parse(text.toUtf8());
}

std::tuple<QovProjectDataModel *, QString> parseProjectBytes(const QByteArray &bytes)
{
    const QByteArray text = utf8Text(bytes);
    if (text.isEmpty()) {
        return Result(nullptr, QString());
    }
    return QovProjectReader::parse(text);
}

std::tuple<QovProjectDataModel *, QString> loadProject(const QString &path)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    } else {
        qDebug() << "cannot open file" << path;
    }
    if (bytes.isEmpty()) {
        qDebug() << "load failed (loadFile)" << path << "may file is not exist or empty";
        return Result(nullptr, QString());
    }
    Result result = parseProjectBytes(bytes);
    if (QovProjectDataModel *model = std::get<0>(result)) {
        model->setSavePath(path);
        QovProjectReader::autosaveInBackground(model);
    }
    return result;
}
