#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovautosaver.h"
#include "models/qovfilestamp.h"
#include "models/qovprojectsnapshot.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

#include <tuple>

// One project in memory: title, author, dealer, comment and the project devices. Every change
// reaches the autosave file beside the project file shortly after: changes that come close
// together are written once, on a writer thread, from a snapshot of the project, so the thread
// that owns the project never waits for the disk. Saving writes the autosave file of the
// target, flushes it to disk and renames it onto the target in one atomic step.
class QovProjectDataModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString projectName READ projectName WRITE setProjectName NOTIFY projectNameChanged)
    Q_PROPERTY(
        QString projectAuthor READ projectAuthor WRITE setProjectAuthor NOTIFY projectAuthorChanged)
    Q_PROPERTY(
        QString projectDealer READ projectDealer WRITE setProjectDealer NOTIFY projectDealerChanged)
    Q_PROPERTY(QString projectDescription READ projectDescription WRITE setProjectDescription NOTIFY
                   projectDescriptionChanged)
    Q_PROPERTY(QVector<QovAppDeviceModel> appDevices READ appDevices WRITE setAppDevices NOTIFY
                   appDevicesChanged)
    Q_PROPERTY(bool isEdited READ isEdited WRITE setIsEdited NOTIFY isEditedChanged)
    Q_PROPERTY(QString savePath READ savePath WRITE setSavePath NOTIFY savePathChanged)

public:
    explicit QovProjectDataModel(QObject *parent = nullptr);
    ~QovProjectDataModel() override;

    // Where a project the user never saved lives: the user's data folder (XDG_DATA_HOME on
    // Linux) joined with "vlm-default.vlmproj", without application sub-folders.
    static QString defaultProjectPath();
    static QString autosavePathFor(const QString &savePath);

    QString projectName() const { return m_projectName; }
    QString projectAuthor() const { return m_projectAuthor; }
    QString projectDealer() const { return m_projectDealer; }
    QString projectDescription() const { return m_projectDescription; }
    QVector<QovAppDeviceModel> appDevices() const { return m_appDevices; }
    bool isEdited() const { return m_isEdited; }
    QString savePath() const { return m_savePath; }
    QString autosavePath() const { return autosavePathFor(m_savePath); }

    // False when the project already holds the maximum number of devices.
    bool addDevice(const QovAppDeviceModel &device);
    // One mixer belongs to one entry: the first, in project order, that names its MAC. A
    // project file may name one MAC twice; the later entries are then paired with nothing.
    static QovAppDeviceModel holderOf(const QVector<QovAppDeviceModel> &devices,
                                      const QString &macAddress);
    // The MACs of the mixers that entries other than `device` are paired with.
    QStringList macsHeldBesides(const QovAppDeviceModel &device) const;
    // Empties the device list without any signal.
    void clearDevices();

    // Writes the project to its autosave path now and waits for it. False when it could not
    // be written completely. Changes write the copy by themselves; this is for callers that
    // need it on disk before they go on.
    bool autosave();
    // Why the autosave copy cannot be written; empty while it can.
    QString autosaveProblem() const { return m_autosaver->problem(); }
    // Writes a scheduled autosave at once and waits until no autosave of this project is
    // queued or running.
    void waitForAutosave();
    // The user declined the unsaved edits for good (at exit): the autosave copy goes, so that
    // the next start does not offer them back, and no later change writes it again.
    void discardUnsavedEdits();
    // Saves under `path`, superseding a scheduled autosave and waiting for a running one.
    // False leaves the project file at `path`, the save path and the edited flag as they were.
    // An unedited project saved to its own path writes nothing. After a save under a new
    // path, the autosave copy of the previous path is removed: it holds nothing the new file
    // lacks. So are the unsaved edits of the previous path kept aside after a crash.
    // On failure `problem`, when given, says what failed, for the user to mend it.
    bool saveTo(const QString &path, QString *problem = nullptr);
    // The file at the save path as this project last read or wrote it: the loader records what
    // it read, saveTo what it wrote.
    void setFileStamp(const QovFileStamp &stamp) { m_fileStamp = stamp; }
    // Whether another program has changed or replaced the file at the save path since this
    // project last read or wrote it; false when the file is gone.
    bool fileChangedOnDisk() const { return m_fileStamp.differsAt(m_savePath); }
    QString toJsonText() const;
    QByteArray toJsonBytes() const;
    // The project as its file holds it, at this moment.
    QovProjectSnapshot snapshot() const;

    QString debugText(bool detailed = false) const;

public Q_SLOTS:
    void setProjectName(const QString &projectName);
    void setProjectAuthor(const QString &projectAuthor);
    void setProjectDealer(const QString &projectDealer);
    void setProjectDescription(const QString &projectDescription);
    // Replaces the whole list (devices beyond the maximum are dropped) with one autosave.
    void setAppDevices(const QVector<QovAppDeviceModel> &appDevices);
    void setIsEdited(bool isEdited);
    void setSavePath(const QString &savePath);

Q_SIGNALS:
    void projectNameChanged(const QString &projectName);
    void projectAuthorChanged(const QString &projectAuthor);
    void projectDealerChanged(const QString &projectDealer);
    void projectDescriptionChanged(const QString &projectDescription);
    void appDevicesChanged(const QVector<QovAppDeviceModel> &appDevices);
    void isEditedChanged(bool isEdited);
    void savePathChanged(const QString &savePath);
    // Autosaves began to fail, once per run of failures, and succeed again.
    void autosaveFailed(const QString &problem);
    void autosaveRecovered();

private:
    // Never saved: its copy lives in the user's data folder.
    bool isDefaultPath() const { return m_savePath == defaultProjectPath(); }
    // What the autosaver writes next, taken on the GUI thread.
    QovAutosaver::Job autosaveJob() const;

    friend class QovProjectReader;

    void markEdited();
    bool addDeviceWithin(const QovAppDeviceModel &device, quint32 maxDevices);
    void setText(QString &field, const QString &value,
                 void (QovProjectDataModel::*notify)(const QString &));

    QString m_projectName;
    QString m_projectAuthor;
    QString m_projectDealer;
    QString m_projectDescription;
    QVector<QovAppDeviceModel> m_appDevices;
    bool m_isEdited = false;
    QString m_savePath;
    QovFileStamp m_fileStamp;
    // While a file is read, changes are not autosaved: the reader stores field by field, and
    // the save path is not yet the file's.
    bool m_autosaveSuspended = false;
    QovAutosaver *m_autosaver;
};

// A model (owned by the caller, moved to the application's main thread) and an empty text on
// success; null and an empty text when the text is not JSON; null and the key of the first bad
// field otherwise. A negative "version" is rejected with "version" like any other unknown one,
// so that a file of an unknown format is never opened as an empty project and overwritten.
// Writes no autosave file.
std::tuple<QovProjectDataModel *, QString> parseProject(const QString &text);
// As parseProject for the bytes of a file, decoded as a text stream decodes them: UTF-16 or
// UTF-32 when a byte-order mark says so, UTF-8 otherwise, with bytes that are not valid UTF-8
// replaced rather than the text refused. Null and an empty text when there are no bytes.
std::tuple<QovProjectDataModel *, QString> parseProjectBytes(const QByteArray &bytes);
// The data sets each device of a project file's bytes lacks, by device index: a backup or a
// safety copy of a mixer that would not give them names them in the device's "unreadable"
// member, and holds "{}" for each. Empty for a device without it; entries that name no data set
// of the table are left out. Read apart from parseProjectBytes, which skips the member.
QList<QVector<QovDataSlot>> readUnreadableSets(const QByteArray &bytes);
// The bytes of the project file at `path`; null, with the reason in `problem`, when it cannot be
// read. Only a regular file is read: opening a pipe or a device would wait for ever.
QByteArray readProjectFile(const QString &path, QString *problem = nullptr);
// parseProjectBytes for the file's bytes; null and an empty text when the file is missing,
// empty or not a regular file. On success the model's save path is `path`, and its autosave copy is
// being written beside it in the background.
std::tuple<QovProjectDataModel *, QString> loadProject(const QString &path);
// As loadProject for the project saved at `savePath`, with the content of `copyPath` (its
// unsaved edits kept aside, see QovRecovery): the model is edited, and the new autosave copy
// beside `savePath` holds that content.
std::tuple<QovProjectDataModel *, QString> loadUnsavedChanges(const QString &savePath,
                                                              const QString &copyPath);
