#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QMovie>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QtTest>

// Every built-in resource the program names must exist and be readable, so a typo in a path or
// a drawing left out of the resource file shows up here instead of as a blank icon.
class TestResources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownArtworkLoads_data();
    void knownArtworkLoads();
    void everyPathInSourcesResolves();
    void devicePicturesComeInBothDensities_data();
    void devicePicturesComeInBothDensities();
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

void TestResources::knownArtworkLoads_data()
{
    QTest::addColumn<QString>("path");
    const char *names[] = {
        // Style sheet, check boxes, switches, radio buttons, menus and combo boxes.
        "/styles.qss", "/icons/ic_check_checked.svg", "/icons/ic_check_unchecked.svg",
        "/icons/ic_switch-on.svg", "/icons/ic_switch-off.svg", "/icons/ic_radio_button_checked.svg",
        "/icons/ic_radio_button_unchecked.svg", "/icons/ic_menu_indicator.svg",
        "/icons/ic_expand_more.svg", "/icons/ic_arrow_drop_down.svg",
        // Windows and dialogs.
        "/icons/ic_add.svg", "/icons/ic_arrow_downward_48px.svg",
        "/icons/ic_arrow_drop_down_48px.svg", "/icons/ic_arrow_forward.svg",
        "/icons/ic_arrow_upward_48px.svg", "/icons/ic_chevron_right.svg", "/icons/ic_close.svg",
        "/icons/ic_create.svg", "/icons/ic_identify.svg", "/icons/ic_menu.svg",
        "/icons/ic_radio_button_checked_48px.svg", "/icons/ic_radio_button_unchecked_48px.svg",
        "/icons/ic_sync-alart.svg", "/icons/ic_sync-missing.svg", "/icons/ic_sync.svg",
        "/icons/ic_trash.svg", "/icons/ic_device-connect.svg", "/icons/ic_project-create.svg",
        "/icons/ic_project-open.svg",
        // Images.
        "/images/OVLogo_logotxt.svg", "/images/appIcon.svg", "/images/progress.gif",
        "/images/zeph-2208@1x.png", "/images/zeph-2208@2x.png", "/images/zeph-2208-net@1x.png",
        "/images/zeph-2208-net@2x.png"};
    for (const char *name : names) {
        QTest::newRow(name) << QLatin1Char(':') + QLatin1String(name);
    }
    // The start page writes its icons with a doubled slash; the resource system must accept it.
    QTest::newRow("doubled slash") << QStringLiteral("://icons/ic_project-open.svg");
}

void TestResources::knownArtworkLoads()
{
    QFETCH(QString, path);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY2(loads(path), qPrintable(path));
}

void TestResources::everyPathInSourcesResolves()
{
    const QMap<QString, QString> paths = pathsInSources();
    // The style sheet alone names more than a dozen; finding none means the scan is broken.
    QVERIFY(paths.size() >= 12);
    for (auto it = paths.cbegin(); it != paths.cend(); ++it) {
        QVERIFY2(QFile::exists(it.key()) && loads(it.key()),
                 qPrintable(it.key() + QStringLiteral(" named in ") + it.value()));
    }
}

void TestResources::devicePicturesComeInBothDensities_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("ZEPH-2208") << "zeph-2208";
    QTest::newRow("ZEPH-2208NET") << "zeph-2208-net";
}

void TestResources::devicePicturesComeInBothDensities()
{
    QFETCH(QString, model);
    const QImage single(QStringLiteral(":/images/%1@1x.png").arg(model));
    const QImage twice(QStringLiteral(":/images/%1@2x.png").arg(model));
    // Device rows show the picture at 136 x 14.
    QCOMPARE(single.size(), QSize(136, 14));
    QCOMPARE(twice.size(), QSize(272, 28));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
