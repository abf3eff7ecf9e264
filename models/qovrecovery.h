#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Edits that reached a project's autosave copy but never its file, as a crash leaves them.
// Before a project opens, its copy is compared with the file; when it holds different content
// it is first copied aside, so that opening (which writes a new autosave copy)
// cannot destroy it, whatever the user then chooses. The copy aside stays until the project is
// saved again. Safe to call from any thread; none of it needs an event loop.
namespace QovRecovery {

struct Unsaved
{
    // The copy aside, empty when there is nothing to restore.
    QString keptPath;
    // When the edits were last written: the autosave copy's modification time.
    QDateTime changedAt;
    // The file was written after the edits: by a copy put back, a backup, another program.
    bool fileChangedSince = false;

    bool found() const { return !keptPath.isEmpty(); }
};

// Where the unsaved edits of the project saved at `savePath` are kept aside.
QString keptPathFor(const QString &savePath);
// Every copy aside of that project: the newest at keptPathFor, and earlier ones the user
// discarded, named with their time, which a save removes with it.
QStringList keptPathsFor(const QString &savePath);
// Whether `path` names an autosave copy or a copy kept aside (or one being written), not a
// project file the user saved.
bool isWorkingCopy(const QString &path);

// Looks for unsaved edits of the project at `savePath`: an autosave copy whose content differs
// from the file, even when the file is newer (only the user can tell which one to keep). For the
// never-saved default project, which has no file, the content is compared with a fresh project.
// When found, they are copied aside and returned; the autosave copy itself is left as it was.
Unsaved keepUnsavedChanges(const QString &savePath);
// The user chose to go on without the edits of `unsaved`: the autosave copy that holds them
// goes, so that they are not offered again; the copy aside stays until the next save.
void discardUnsavedChanges(const QString &savePath, const Unsaved &unsaved);

} // namespace QovRecovery
