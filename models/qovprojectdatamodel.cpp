#include "models/qovprojectdatamodel.h"

#include "models/qovautosaver.h"
#include "models/qovdurablefile.h"
#include "models/qovmodelassign.h"
#include "models/qovmodelmetatypes.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovrecovery.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <utility>

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
    , m_autosaver(new QovAutosaver([this] { return autosaveJob(); }, this))
{
    qovRegisterModelMetaTypes();
    connect(m_autosaver, &QovAutosaver::writeFailed, this, &QovProjectDataModel::autosaveFailed);
    connect(m_autosaver, &QovAutosaver::writeRecovered, this,
            &QovProjectDataModel::autosaveRecovered);
}

QovAutosaver::Job QovProjectDataModel::autosaveJob() const
{
    return {autosavePath(), snapshot(), isDefaultPath()};
}

// The last changes reach the autosave copy even when the project is dropped unsaved; the
// write goes on without the model.
QovProjectDataModel::~QovProjectDataModel()
{
    m_autosaver->flush();
}

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

QovAppDeviceModel QovProjectDataModel::holderOf(const QVector<QovAppDeviceModel> &devices,
                                                const QString &macAddress)
{
    if (macAddress.isEmpty()) {
        return {};
    }
    for (const QovAppDeviceModel &device : devices) {
        if (device->macAddress().compare(macAddress, Qt::CaseInsensitive) == 0) {
            return device;
        }
    }
    return {};
}

QStringList QovProjectDataModel::macsHeldBesides(const QovAppDeviceModel &device) const
{
    QStringList held;
    for (const QovAppDeviceModel &other : m_appDevices) {
        if (other != device && !other->macAddress().isEmpty()) {
            held.append(other->macAddress().toUpper());
        }
    }
    return held;
}

void QovProjectDataModel::clearDevices()
{
    for (const QovAppDeviceModel &device : std::as_const(m_appDevices)) {
        disconnect(device.get(), nullptr, this, nullptr);
    }
    m_appDevices.clear();
}

void QovProjectDataModel::markEdited()
{
    setIsEdited(true);
    if (!m_autosaveSuspended) {
        m_autosaver->schedule();
    }
}

bool QovProjectDataModel::autosave()
{
    const QString path = autosavePath();
    const QovProjectSnapshot project = snapshot();
    const bool inDataFolder = isDefaultPath();
    return m_autosaver->runExclusive([&] {
        qDebug() << QThread::currentThreadId() << "autosave!" << path;
        return QovAutosaver::writeComplete(path, project.toJsonBytes(), inDataFolder);
    });
}

void QovProjectDataModel::waitForAutosave()
{
    m_autosaver->waitIdle();
}

void QovProjectDataModel::discardUnsavedEdits()
{
    m_autosaveSuspended = true;
    const QString path = autosavePath();
    m_autosaver->runExclusive([path] { return !QFile::exists(path) || QFile::remove(path); });
}

bool QovProjectDataModel::saveTo(const QString &path, QString *problem)
{
    if (!m_isEdited && path == m_savePath) {
        return true;
    }
    const QString previous = m_savePath;
    const QovProjectSnapshot project = snapshot();
    QovFileStamp written;
    const bool saved = m_autosaver->runExclusive([&] {
        // The copy that becomes the project file is the autosave file of the target, so the
        // rename stays inside one folder (and file system) even when saving under a new name,
        // and every name holds a complete file at every moment.
        // A link saved to stays a link: its target is what gets replaced.
        const QString target = qovReplaceableFile(path, problem);
        const QString staging = autosavePathFor(target);
        const QByteArray bytes = project.toJsonBytes();
        if (target.isEmpty() || !QovAutosaver::writeComplete(staging, bytes, false, problem) ||
            !qovReplaceFile(staging, target, problem)) {
            return false;
        }
        written = QovFileStamp(path);
        written.setContent(bytes);
        QFile::remove(autosavePathFor(previous));
        // Edits kept aside after a crash were restored or discarded by now, and this save
        // supersedes them.
        for (const QString &kept : QovRecovery::keptPathsFor(previous)) {
            QFile::remove(kept);
        }
        return true;
    });
    if (!saved) {
        return false;
    }
    m_fileStamp = written;
    setSavePath(path);
    setIsEdited(false);
    return true;
}

QovProjectSnapshot QovProjectDataModel::snapshot() const
{
    QovProjectSnapshot project{
        m_projectName, m_projectAuthor, m_projectDealer, m_projectDescription, {}};
    project.devices.reserve(m_appDevices.size());
    for (const QovAppDeviceModel &device : m_appDevices) {
        project.devices.append(device->record());
    }
    return project;
}

QByteArray QovProjectDataModel::toJsonBytes() const
{
    return snapshot().toJsonBytes();
}

QString QovProjectDataModel::toJsonText() const
{
    // With its size: the QByteArray overload would stop at a NUL byte.
    const QByteArray bytes = toJsonBytes();
    return QString::fromUtf8(bytes.constData(), bytes.size());
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
