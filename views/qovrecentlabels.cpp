#include "views/qovrecentlabels.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

QStringList qovRecentFileLabels(const QStringList &paths)
{
    QHash<QString, int> sameName;
    for (const QString &path : paths) {
        ++sameName[QFileInfo(path).fileName()];
    }
    QStringList labels;
    labels.reserve(paths.size());
    for (const QString &path : paths) {
        const QFileInfo file(path);
        QString label = file.fileName();
        if (sameName.value(label) > 1) {
            label += QStringLiteral("  (%1)").arg(QDir::toNativeSeparators(file.absolutePath()));
        }
        // A menu takes "&" for the mark of the next letter's shortcut.
        labels << label.replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    return labels;
}
