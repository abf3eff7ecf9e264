#include "models/qovsafetycopies.h"

#include "models/qovprojectfiles.h"
#include "models/qovtimetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

QovSafetyCopies::QovSafetyCopies(const QString &root)
    : m_root(root)
{
}

QString QovSafetyCopies::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/korvath/velmora/backups");
}

QString QovSafetyCopies::folderName(const QString &macAddress)
{
    QString name = macAddress.toUpper();
    name.remove(QRegularExpression(QStringLiteral("[^0-9A-F]")));
    return name.isEmpty() ? QStringLiteral("unknown") : name;
}

QString QovSafetyCopies::folder(const QString &macAddress) const
{
    return m_root + QLatin1Char('/') + folderName(macAddress);
}

QString QovSafetyCopies::newCopyPath(const QString &macAddress, const QDateTime &time) const
{
    const QString stem =
        folder(macAddress) + QLatin1Char('/') + qovUtcTimeText(time, QovTimeText::Precise);
    QString path = stem + QStringLiteral(".vlmproj");
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = stem + QStringLiteral("-%1.vlmproj").arg(n);
    }
    return path;
}

QStringList QovSafetyCopies::copies(const QString &macAddress) const
{
    static const QRegularExpression named(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d\.\d{3}Z(-\d+)?\.vlmproj$)"));
    const QDir dir(folder(macAddress));
    QStringList paths;
    // Names sort by time; two copies within one millisecond are kept in either order.
    for (const QFileInfo &info :
         dir.entryInfoList({QStringLiteral("*.vlmproj")}, QDir::Files, QDir::Name)) {
        if (named.match(info.fileName()).hasMatch()) {
            paths.append(info.absoluteFilePath());
        }
    }
    return paths;
}

bool QovSafetyCopies::prune(const QString &macAddress, const QString &justWritten) const
{
    QStringList all = copies(macAddress);
    const bool spared =
        !justWritten.isEmpty() && all.removeOne(QFileInfo(justWritten).absoluteFilePath());
    const int keep = spared ? keptPerMixer - 1 : keptPerMixer;
    bool ok = true;
    for (int i = 0; i + keep < all.size(); ++i) {
        ok = QFile::remove(all.at(i)) && ok;
    }
    return ok;
}

QString QovSafetyCopies::keep(const QovOnlineDeviceModel &mixer, const QovZephData &data,
                              QString *error) const
{
    const QString path = newCopyPath(mixer->macAddress(), QDateTime::currentDateTimeUtc());
    // The title is cut to fit a project's; the folder and the device say which mixer it was.
    *error = QovProjectFiles::saveProject(
        path, QStringLiteral("Safety copy of %1").arg(mixer->deviceName()),
        {QovProjectFiles::projectDevice(mixer, data)}, {data.unreadable});
    if (!error->isEmpty()) {
        return QString();
    }
    // A copy that cannot be pruned is still a copy: the mixer may be written.
    prune(mixer->macAddress(), path);
    return path;
}
