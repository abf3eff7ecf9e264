#include "screenshotscene.h"

#include "views/qovwidgetfactory.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Every built-in icon and image as Qt draws it, on the page background: a check that Qt's own
// SVG renderer shows the drawings as intended, at the sizes the windows use.
QWidget *artworkSheet()
{
    QWidget *sheet = makeWidget(QSize(), "project-view");
    auto *layout = makeVBoxLayout(16, 12, Qt::AlignLeft | Qt::AlignTop);
    auto *icons = new QGridLayout();
    icons->setHorizontalSpacing(12);
    icons->setVerticalSpacing(4);
    const QStringList names = QDir(QStringLiteral(":/icons")).entryList(QDir::Files);
    const int columns = 7;
    for (int i = 0; i < names.size(); ++i) {
        const QString path = QStringLiteral(":/icons/") + names.at(i);
        auto *cell = makeHBoxLayout(0, 6, Qt::AlignLeft | Qt::AlignVCenter);
        cell->addWidget(makeIconLabel(path, QSize(24, 24)));
        cell->addWidget(makeIconLabel(path, QSize(48, 48)));
        QLabel *name = makeLabel(QString(names.at(i)).remove(QStringLiteral(".svg")), QSize(150, 0),
                                 "ip-addr");
        name->setStyleSheet(QStringLiteral("font-size: 10px; color: #a4a7a9;"));
        cell->addWidget(name);
        icons->addLayout(cell, i / columns, i % columns);
    }
    layout->addLayout(icons);

    auto *images = makeHBoxLayout(0, 24, Qt::AlignLeft | Qt::AlignVCenter);
    images->addWidget(makeIconLabel(QStringLiteral(":/images/appIcon.svg"), QSize(96, 96)));
    images->addWidget(makeIconLabel(QStringLiteral(":/images/OVLogo_logotxt.svg"), QSize(113, 26)));
    images->addWidget(makeIconLabel(QStringLiteral(":/images/OVLogo_logotxt.svg"), QSize(226, 52)));
    for (const char *model : {"zeph-2208", "zeph-2208-net"}) {
        const QString base = QStringLiteral(":/images/") + QLatin1String(model);
        const QIcon both =
            makeIcon(base + QStringLiteral("@1x.png"), base + QStringLiteral("@2x.png"));
        images->addWidget(makePixmapLabel(both, QSize(136, 14)));
        images->addWidget(makePixmapLabel(both, QSize(272, 28)));
    }
    layout->addLayout(images);
    sheet->setLayout(layout);
    return sheet;
}

} // namespace

std::vector<ScreenshotScene> artworkScenes()
{
    return {{QStringLiteral("artwork-sheet"), artworkSheet, nullptr, 0, 0}};
}

std::vector<ScreenshotScene> allScreenshotScenes()
{
    std::vector<ScreenshotScene> scenes = artworkScenes();
    for (auto more : {widgetScenes(), popupScenes(), dialogScenes(), appScenes(), pageScenes(),
                      connectionScenes(), progressScenes()}) {
        scenes.insert(scenes.end(), more.begin(), more.end());
    }
    return scenes;
}
