#include "projectkillcheck.h"

#include "models/qovprojectdatamodel.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <memory>

namespace projectkillcheck {

namespace {
// Empty when the file at `path` is a complete project of the loop; otherwise why not.
QString checkFile(const QString &path, QString *title)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return path + QStringLiteral(": cannot open");
    }
    auto [model, error] = parseProjectBytes(file.readAll());
    std::unique_ptr<QovProjectDataModel> project(model);
    if (!project) {
        return QStringLiteral("%1: does not load (%2)").arg(path, error);
    }
    if (project->appDevices().size() != 8) {
        return QStringLiteral("%1: %2 devices").arg(path).arg(project->appDevices().size());
    }
    *title = project->projectName();
    if (*title != QLatin1String("Start") && *title != QLatin1String("Odd") &&
        *title != QLatin1String("Even")) {
        return QStringLiteral("%1: title %2").arg(path, *title);
    }
    return QString();
}
} // namespace

Outcome run(const QString &helper, const QString &folder, int kills)
{
    Outcome outcome;
    const QString file = folder + QStringLiteral("/loop.vlmproj");
    const QString autosave = QovProjectDataModel::autosavePathFor(file);
    for (int round = 0; round < kills; ++round) {
        QFile::remove(file);
        QFile::remove(autosave);
        QProcess saver;
        saver.start(helper, {file});
        if (!saver.waitForReadyRead(30000) || saver.readLine().trimmed() != "ready") {
            outcome.problem = QStringLiteral("round %1: the loop did not start: %2")
                                  .arg(round)
                                  .arg(saver.errorString());
            return outcome;
        }
        // A random moment inside the loop: edits, autosaves and saves are all in flight.
        QThread::msleep(QRandomGenerator::global()->bounded(1, 300));
        if (saver.state() != QProcess::Running) {
            outcome.problem = QStringLiteral("round %1: the loop ended by itself").arg(round);
            return outcome;
        }
        saver.kill();
        saver.waitForFinished(30000);
        ++outcome.kills;

        QString title;
        outcome.problem = checkFile(file, &title);
        if (outcome.problem.isEmpty() && QFile::exists(autosave)) {
            QString autosaveTitle;
            outcome.problem = checkFile(autosave, &autosaveTitle);
            ++outcome.autosaveCopiesChecked;
        }
        if (!outcome.problem.isEmpty()) {
            outcome.problem = QStringLiteral("round %1: %2").arg(round).arg(outcome.problem);
            return outcome;
        }
        outcome.afterSaves += title != QLatin1String("Start");
    }
    return outcome;
}

} // namespace projectkillcheck
