#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QMovie>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>

// Every built-in resource the program names must exist and be readable, so a typo in a path or
// a drawing left out of the resource file shows up here instead of as a blank icon.
class TestResources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPathInSourcesResolves();
};

namespace {

bool loads(const QString &path)
{
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(path);
        return renderer.isValid() && !renderer.defaultSize().isEmpty();
    }
    if (path.endsWith(QLatin1String(".gif"))) {
        QMovie movie(path);
        return movie.isValid() && movie.frameCount() > 1;
    }
    if (path.endsWith(QLatin1String(".qss"))) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.size() > 0;
    }
    return !QImageReader(path).read().isNull();
}

// Resource paths quoted in the program's sources and style sheet, with where they were seen.
QMap<QString, QString> pathsInSources()
{
    const QRegularExpression quoted(QStringLiteral("\":(/[^\"\\s]+\\.[a-z]+)\""));
    const QRegularExpression styleUrl(QStringLiteral("url\\(:(/[^)\\s]+)\\)"));
    QMap<QString, QString> found;
    const QString root = QStringLiteral(VELMORA_SOURCE_DIR);
    for (const char *folder :
         {"app", "models", "device", "discovery", "views", "dialogs", "webpage", "resources"}) {
        QDirIterator it(root + QLatin1Char('/') + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.qss")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QString text = QString::fromUtf8(file.readAll());
            for (const auto &pattern : {quoted, styleUrl}) {
                auto matches = pattern.globalMatch(text);
                while (matches.hasNext()) {
                    found.insert(QLatin1Char(':') + matches.next().captured(1),
                                 file.fileName().mid(root.size() + 1));
                }
            }
        }
    }
    return found;
}

} // namespace

void TestResources::everyPathInSourcesResolves()
{
    const QMap<QString, QString> paths = pathsInSources();
    // The style sheet alone names more than a dozen; finding none means the scan is broken.
    QVERIFY(paths.size() >= 12);
    for (auto it = paths.cbegin(); it != paths.cend(); ++it) {
        QVERIFY2(QFile::exists(it.key()) && loads(it.key()),
                 qPrintable(it.key() + QStringLiteral(" named in ") + it.value()));
    }
    // The start page writes its icons with a doubled slash; the resource system must accept it.
    QVERIFY(loads(QStringLiteral("://icons/ic_project-open.svg")));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
