#include "models/qovprojectdatamodel.h"

#include "models/qovdurablefile.h"
#include "models/qovmodelassign.h"
#include "models/qovmodelmetatypes.h"
#include "models/qovprogramsettingsmodel.h"

#include <QDebug>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QThread>

namespace {
quint32 maxProjectDevices()
{
    return QovProgramSettingsModel().maxNumberOfProjectDevices();
}
} // namespace

QovProjectDataModel::QovProjectDataModel(QObject *parent)
    : QObject(parent)
    , m_projectName(QStringLiteral("New Project"))
    , m_savePath(defaultProjectPath())
{
    qovRegisterModelMetaTypes();
}

QovProjectDataModel::~QovProjectDataModel() = default;

QString QovProjectDataModel::defaultProjectPath()
{
    // The generic location is what the application-data location gives before the application
    // object names an organisation and application, so the result does not depend on when
    // this first runs. Computed once: the path identifies "never saved" for the whole run.
    static const QString path =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("vlm-default.vlmproj"));
    return path;
}

QString QovProjectDataModel::autosavePathFor(const QString &savePath)
{
    return savePath + QStringLiteral(".autosave");
}

bool QovProjectDataModel::addDevice(const QovAppDeviceModel &device)
{
    return addDeviceWithin(device, maxProjectDevices());
}

bool QovProjectDataModel::addDeviceWithin(const QovAppDeviceModel &device, quint32 maxDevices)
{
    if (!device || static_cast<quint32>(m_appDevices.size()) >= maxDevices) {
        return false;
    }
    m_appDevices.append(device);
    connect(device.get(), &QovAppDeviceModelInternal::somethingChanged, this,
            &QovProjectDataModel::markEdited);
    markEdited();
    return true;
}

void QovProjectDataModel::clearDevices()
{
    for (const QovAppDeviceModel &device : qAsConst(m_appDevices)) {
        disconnect(device.get(), nullptr, this, nullptr);
    }
    m_appDevices.clear();
}

void QovProjectDataModel::markEdited()
{
    setIsEdited(true);
    if (!m_autosaveSuspended) {
        autosave();
    }
}

bool QovProjectDataModel::autosave()
{
    qDebug() << QThread::currentThreadId() << "autosave!" << autosavePath();
    // Not flushed to disk: it is rewritten on every change, and saveTo writes its own copy.
    return qovWriteFile(autosavePath(), toJsonBytes(), false);
}

bool QovProjectDataModel::saveTo(const QString &path)
{
    if (!m_isEdited && path == m_savePath) {
        return true;
    }
    // The copy that becomes the project file is the autosave file of the target, so the
    // rename stays inside one folder (and file system) even when saving under a new name.
    const QString staging = autosavePathFor(path);
    if (!qovWriteFile(staging, toJsonBytes(), true) || !qovReplaceFile(staging, path)) {
        return false;
    }
    setSavePath(path);
    setIsEdited(false);
    return true;
}

QByteArray QovProjectDataModel::toJsonBytes() const
{
    QJsonArray devices;
    for (const QovAppDeviceModel &device : m_appDevices) {
        QJsonObject object;
        object.insert(QStringLiteral("name"), device->deviceName());
        object.insert(QStringLiteral("model"), device->modelName());
        object.insert(QStringLiteral("mac"), device->macAddress());
        object.insert(QStringLiteral("color"), device->headerColor());
        object.insert(QStringLiteral("id"), device->deviceId());
        object.insert(QStringLiteral("data"), device->zephDataJson());
        devices.append(object);
    }
    QJsonObject root;
    root.insert(QStringLiteral("version"), 1);
    root.insert(QStringLiteral("title"), m_projectName);
    root.insert(QStringLiteral("author"), m_projectAuthor);
    root.insert(QStringLiteral("dealer"), m_projectDealer);
    root.insert(QStringLiteral("comment"), m_projectDescription);
    root.insert(QStringLiteral("devices"), devices);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QString QovProjectDataModel::toJsonText() const
{
    return QString::fromUtf8(toJsonBytes());
}

QString QovProjectDataModel::debugText(bool detailed) const
{
    QString text =
        QStringLiteral("QovProjectData(%1)[%2]").arg(m_projectName).arg(m_appDevices.size());
    if (detailed) {
        text += QStringLiteral("{ ");
        for (const QovAppDeviceModel &device : m_appDevices) {
            text += device->debugText() + QStringLiteral(", ");
        }
        text += QStringLiteral("}");
    }
    return text;
}

void QovProjectDataModel::setText(QString &field, const QString &value,
                                  void (QovProjectDataModel::*notify)(const QString &))
{
    if (qovAssign(field, value)) {
        Q_EMIT(this->*notify)(field);
        markEdited();
    }
}

void QovProjectDataModel::setProjectName(const QString &projectName)
{
    setText(m_projectName, projectName, &QovProjectDataModel::projectNameChanged);
}

void QovProjectDataModel::setProjectAuthor(const QString &projectAuthor)
{
    setText(m_projectAuthor, projectAuthor, &QovProjectDataModel::projectAuthorChanged);
}

void QovProjectDataModel::setProjectDealer(const QString &projectDealer)
{
    setText(m_projectDealer, projectDealer, &QovProjectDataModel::projectDealerChanged);
}

void QovProjectDataModel::setProjectDescription(const QString &projectDescription)
{
    setText(m_projectDescription, projectDescription,
            &QovProjectDataModel::projectDescriptionChanged);
}

void QovProjectDataModel::setAppDevices(const QVector<QovAppDeviceModel> &appDevices)
{
    const quint32 maxDevices = maxProjectDevices();
    const bool wasSuspended = m_autosaveSuspended;
    m_autosaveSuspended = true;
    clearDevices();
    for (const QovAppDeviceModel &device : appDevices) {
        addDeviceWithin(device, maxDevices);
    }
    m_autosaveSuspended = wasSuspended;
    Q_EMIT appDevicesChanged(m_appDevices);
    markEdited();
}

void QovProjectDataModel::setIsEdited(bool isEdited)
{
    if (qovAssign(m_isEdited, isEdited)) {
        Q_EMIT isEditedChanged(m_isEdited);
    }
}

void QovProjectDataModel::setSavePath(const QString &savePath)
{
    if (qovAssign(m_savePath, savePath)) {
        Q_EMIT savePathChanged(m_savePath);
    }
}
