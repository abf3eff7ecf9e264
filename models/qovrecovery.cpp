#include "models/qovrecovery.h"

#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtimetext.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QThread>

namespace {

const QString kAutosaveSuffix = QStringLiteral(".autosave");
const QString kKeptSuffix = QStringLiteral(".unsaved");

QByteArray readAll(const QString &path)
{
    return readProjectFile(path);
}

// What the user would open without the autosave copy; null when there is nothing to open.
QByteArray savedContent(const QString &savePath)
{
    if (QFileInfo::exists(savePath)) {
        return readAll(savePath);
    }
    if (savePath == QovProjectDataModel::defaultProjectPath()) {
        return QovProjectDataModel().toJsonBytes();
    }
    return QByteArray();
}

// Compared as JSON: a file written by another program (or an older one) may spell the same
// project differently, and that is no reason to ask the user anything.
bool sameContent(const QByteArray &copy, const QByteArray &saved)
{
    if (copy == saved) {
        return true;
    }
    return QJsonDocument::fromJson(copy) == QJsonDocument::fromJson(saved);
}

// An earlier copy aside holds edits the user discarded then: before newer ones take its name, it
// moves to a name of its own, with the time its edits were made.
void setAside(const QString &kept)
{
    const QString stem = kept.chopped(kKeptSuffix.size()) + QLatin1Char('.') +
                         qovUtcTimeText(QFileInfo(kept).lastModified(), QovTimeText::Compact);
    QString older = stem + kKeptSuffix;
    for (int n = 2; QFileInfo::exists(older); ++n) {
        older = stem + QStringLiteral("-%1").arg(n) + kKeptSuffix;
    }
    if (!QFile::rename(kept, older)) {
        qDebug() << "cannot keep earlier unsaved changes apart:" << kept;
    }
}

} // namespace

namespace QovRecovery {

QStringList keptPathsFor(const QString &savePath)
{
    const QFileInfo info(savePath);
    const QRegularExpression named(QLatin1Char('^') + QRegularExpression::escape(info.fileName()) +
                                   QStringLiteral("(\\.\\d{8}T\\d{6}(-\\d+)?)?") +
                                   QRegularExpression::escape(kKeptSuffix) + QLatin1Char('$'));
    QStringList paths;
    for (const QFileInfo &entry : info.dir().entryInfoList(QDir::Files, QDir::Name)) {
        if (named.match(entry.fileName()).hasMatch()) {
            paths.append(entry.filePath());
        }
    }
    return paths;
}

QString keptPathFor(const QString &savePath)
{
    return savePath + kKeptSuffix;
}

bool isWorkingCopy(const QString &path)
{
    // A copy being written is "<copy>.<8 hex digits>.tmp".
    static const QRegularExpression staging(QStringLiteral("\\.[0-9a-f]{8}\\.tmp$"));
    const QString name = QString(path).remove(staging);
    return name.endsWith(kAutosaveSuffix) || name.endsWith(kKeptSuffix);
}

Unsaved keepUnsavedChanges(const QString &savePath)
{
    const QString autosavePath = QovProjectDataModel::autosavePathFor(savePath);
    const QFileInfo copyInfo(autosavePath);
    const QFileInfo fileInfo(savePath);
    if (!copyInfo.isFile()) {
        return {};
    }
    const QDateTime changedAt = copyInfo.lastModified();
    // A save renames the autosave copy away, so a copy stamped like the file was written after
    // it within the file system's tick (two seconds on a FAT stick). A file written later still
    // leaves the edits offered: they were never saved anywhere, and opening would overwrite them.
    const bool fileChangedSince = fileInfo.exists() && changedAt < fileInfo.lastModified();
    const QByteArray saved = savedContent(savePath);
    if (saved.isNull()) {
        return {};
    }
    const QByteArray copy = readAll(autosavePath);
    if (QJsonDocument::fromJson(copy).isNull()) {
        qDebug() << "autosave copy is no project, not offered:" << autosavePath;
        return {};
    }
    if (sameContent(copy, saved)) {
        return {};
    }
    const QString kept = keptPathFor(savePath);
    if (QFileInfo::exists(kept) && !sameContent(readAll(kept), copy)) {
        setAside(kept);
    }
    if (!QovAutosaver::writeComplete(kept, copy)) {
        // Then the autosave copy is the only record: opening must not go on and overwrite it
        // unasked, so it is offered from where it is.
        qDebug() << "cannot keep unsaved changes aside:" << kept;
        return {autosavePath, changedAt, fileChangedSince};
    }
    QFile keptFile(kept);
    if (keptFile.open(QIODevice::ReadWrite)) {
        keptFile.setFileTime(changedAt, QFileDevice::FileModificationTime);
    }
    qDebug() << QThread::currentThreadId() << "unsaved changes kept aside:" << kept << changedAt;
    return {kept, changedAt, fileChangedSince};
}

void discardUnsavedChanges(const QString &savePath, const Unsaved &unsaved)
{
    const QString autosavePath = QovProjectDataModel::autosavePathFor(savePath);
    // When they could not be kept aside, the autosave copy is their only record.
    if (unsaved.found() && unsaved.keptPath != autosavePath) {
        QFile::remove(autosavePath);
    }
}

} // namespace QovRecovery
